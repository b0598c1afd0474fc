// The agent object's kick-off place: taken from the shipped beam.xml by
// distance order, or from the fixed table when the file is missing, broken
// or has no place for the player. The agent reads its strategy files
// relative to the working directory, so the failure cases run in a
// directory of their own.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <memory>
#include <string>

#include "qorvexlib/temp_dir.h"
#include "skills/NaoBehavior.h"
#include "walk/walk.h"
#include "world/teamformation.h"

namespace {

struct Place {
    double x, y;
};

// Captures what the constructor prints on standard error. Other parts of
// the agent may print there too, so the checks look for the strategy
// messages only.
struct Built {
    std::unique_ptr<NaoBehavior> agent;
    std::string err;
    bool says(const std::string& m) const { return err.find(m) != std::string::npos; }
    bool saysNothingOfStrategies() const { return err.find("strategy") == std::string::npos; }
};

const char* kPlayFailed = "play_on_strategy.load strategies/marvessa/common.xml FAILED\n";
const char* kBeamLoadFailed = "beam_strategy.load strategies/marvessa/beam.xml FAILED";

Built build(int unum)
{
    testing::internal::CaptureStderr();
    std::unique_ptr<NaoBehavior> a(new NaoBehavior(unum, 0, "brevane"));
    return Built{std::move(a), testing::internal::GetCapturedStderr()};
}

// Runs the agent construction inside a temporary working directory holding
// strategies/marvessa/ with the given files.
class BeamPlaceFallback : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = boost::filesystem::current_path();
        boost::filesystem::create_directories(tmp_.file("strategies/marvessa"));
        boost::filesystem::current_path(tmp_.dir());
    }
    void TearDown() override { boost::filesystem::current_path(old_); }

    void writeBeam(const std::string& text) { tmp_.write("strategies/marvessa/beam.xml", text); }
    void copyCommon()
    {
        const std::string src = old_.string() + "/strategies/marvessa/";
        for (const char* f : {"common.xml", "play.lua"})
            boost::filesystem::copy_file(src + f, tmp_.file(std::string("strategies/marvessa/") + f));
    }

    TempDir tmp_;
    boost::filesystem::path old_;
};

// The fixed table for a 30 m by 20 m field.
const Place kTable[11] = {{-15, 0},         {-1.5, 0},
                          {-30.0 / 7.0, 4}, {10.0 / 3.0, -2.5},
                          {-5, -2.5},       {-30 / 2.6, 20.0 / 11.0},
                          {-30 / 2.6, 0},   {-30 / 2.6, -20.0 / 11.0},
                          {-9.375, 1},      {-9.375, 0},
                          {-9.375, -1}};

}  // namespace

TEST(BeamPlace, ShippedFileByDistanceFromTheCentreSpot)
{
    // The places of the shipped beam.xml in order of their distance from the
    // centre spot (0.22, 3.41, 3.84, 6.05, 7.81, 8.51, 11.28, 11.71, 11.93,
    // 12.62, 14.00 m).
    const Place expected[11] = {{-0.2, 0.1}, {-2.2, 2.6},   {-2.4, -3}, {-6, 0.8},   {-5, 6}, {-5.5, -6.5},
                                {-11, 2.5},  {-11.5, -2.2}, {-10, 6.5}, {-10.5, -7}, {-14, 0}};
    for (int unum = 1; unum <= 11; ++unum) {
        Built b = build(unum);
        EXPECT_TRUE(b.saysNothingOfStrategies()) << b.err;
        EXPECT_NEAR(b.agent->form->x, expected[unum - 1].x, 1e-12) << unum;
        EXPECT_NEAR(b.agent->form->y, expected[unum - 1].y, 1e-12) << unum;
        EXPECT_EQ(b.agent->form->theta, 0.0) << unum;
        EXPECT_EQ(b.agent->beam_strategy.formations().size(), 1u);
        EXPECT_FALSE(b.agent->play_on_strategy.formations().empty());
        EXPECT_EQ(b.agent->play_on_strategy.prefix(), "strategies/marvessa");
    }
}

TEST_F(BeamPlaceFallback, MissingFilesUseTheTable)
{
    for (int unum : {1, 4, 11}) {
        Built b = build(unum);
        EXPECT_TRUE(b.says(kPlayFailed)) << b.err;
        EXPECT_TRUE(b.says(kBeamLoadFailed)) << b.err;
        EXPECT_FALSE(b.says("beam_strategy FAILED")) << b.err;
        EXPECT_NEAR(b.agent->form->x, kTable[unum - 1].x, 1e-9) << unum;
        EXPECT_NEAR(b.agent->form->y, kTable[unum - 1].y, 1e-9) << unum;
        EXPECT_TRUE(b.agent->play_on_strategy.formations().empty());
    }
}

TEST_F(BeamPlaceFallback, BrokenBeamFileUsesTheTable)
{
    copyCommon();
    writeBeam("<strategy><formation script=\"beam.lua\"><ball/></formation>");
    Built b = build(3);
    EXPECT_TRUE(b.says(kBeamLoadFailed)) << b.err;
    EXPECT_FALSE(b.says(kPlayFailed)) << b.err;
    EXPECT_NEAR(b.agent->form->x, kTable[2].x, 1e-9);
    EXPECT_NEAR(b.agent->form->y, kTable[2].y, 1e-9);
    EXPECT_FALSE(b.agent->play_on_strategy.formations().empty());
}

TEST_F(BeamPlaceFallback, NoFormationForTheCentreSpotUsesTheTable)
{
    copyCommon();
    writeBeam(R"(<strategy><formation script="beam.lua">
      <ball x="5" y="5"/><ballArea x="1" y="1" l="5" w="5"/>
      <players><player x="-3" y="3"/></players></formation></strategy>)");
    Built b = build(5);
    EXPECT_TRUE(b.says("beam_strategy FAILED")) << b.err;
    EXPECT_FALSE(b.says(kBeamLoadFailed)) << b.err;
    EXPECT_NEAR(b.agent->form->x, kTable[4].x, 1e-9);
    EXPECT_NEAR(b.agent->form->y, kTable[4].y, 1e-9);
}

TEST_F(BeamPlaceFallback, TooFewPlacesUseTheTableForTheOthers)
{
    copyCommon();
    writeBeam(R"(<strategy><formation script="beam.lua">
      <ball x="0" y="0"/><ballArea x="-1" y="-1" l="2" w="2"/>
      <players><player x="-8" y="1"/><player x="-0.5" y="0"/></players>
      </formation></strategy>)");
    Built first = build(1);  // nearest the centre spot
    EXPECT_TRUE(first.saysNothingOfStrategies()) << first.err;
    EXPECT_DOUBLE_EQ(first.agent->form->x, -0.5);
    Built second = build(2);
    EXPECT_DOUBLE_EQ(second.agent->form->x, -8);
    EXPECT_DOUBLE_EQ(second.agent->form->y, 1);
    Built third = build(3);
    EXPECT_TRUE(third.says("beam_strategy has no place for player 3 FAILED\n")) << third.err;
    EXPECT_NEAR(third.agent->form->x, kTable[2].x, 1e-9);
    EXPECT_NEAR(third.agent->form->y, kTable[2].y, 1e-9);
}
