#include "keyframe/naosimplemove.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "perception/naoparse.h"

namespace {

// The 22 perceptor names in the order of the stand-pose file, with their ids.
const char* const kStandNames[22] = {"hj1",  "hj2",  "laj1", "laj2", "laj3", "laj4", "llj1", "llj2",
                                     "llj3", "llj4", "llj5", "llj6", "rlj1", "rlj2", "rlj3", "rlj4",
                                     "rlj5", "rlj6", "raj1", "raj2", "raj3", "raj4"};
const int kStandIds[22] = {0, 1, 14, 16, 18, 20, 2, 4, 6, 8, 10, 12, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21};

class KeyFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/brevane_keyframe_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        parse_.SetupJointIDMap();
        NaoParse::reset_static_state();
        naosimplemove_t::reset_interpolation();
        player_ = new naosimplemove_t();
    }
    void TearDown() override
    {
        delete player_;
        for (const std::string& f : files_) std::remove(f.c_str());
        rmdir(dir_.c_str());
        NaoParse::reset_static_state();
        naosimplemove_t::reset_interpolation();
    }

    std::string write(const std::string& name, const std::string& text)
    {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        files_.push_back(path);
        return path;
    }

    // A header in the stand-pose writer's form and one data line per row.
    static std::string stand_file(const std::vector<std::vector<double>>& rows)
    {
        std::string s = " ";
        for (const char* n : kStandNames) s += std::string(n) + " ";
        s += "\n";
        for (const auto& row : rows) {
            s += " ";
            for (double v : row) {
                char buf[32];
                std::snprintf(buf, sizeof(buf), "%4.2f ", v);
                s += buf;
            }
            s += "\n";
        }
        return s;
    }

    static void set_angle(int id, float deg)
    {
        NaoParse::mHingeJointSenseMap[static_cast<NaoParse::JointID>(id)].angle = deg;
    }

    // Speeds written for each effector name, in order of appearance.
    static std::vector<std::pair<std::string, double>> commands(const std::string& text)
    {
        std::vector<std::pair<std::string, double>> r;
        std::regex re("\\(([a-z]+[0-9]) (-?[0-9.]+)\\)");
        for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
            r.emplace_back((*it)[1], std::stod((*it)[2]));
        }
        return r;
    }

    bool load(const std::string& path) { return player_->load(path.c_str(), &parse_.mJointIDMap); }

    NaoParse parse_{"test"};
    naosimplemove_t* player_ = nullptr;
    std::string dir_;
    std::vector<std::string> files_;
};

TEST_F(KeyFrameTest, LoadsTheStandPoseFileColumnByColumn)
{
    std::vector<double> row;
    for (int i = 0; i < 22; i++) row.push_back(i * 1.5 - 10);
    ASSERT_TRUE(load(write("stand3.dat", stand_file({row}))));
    EXPECT_EQ(player_->njoints, 22);
    EXPECT_EQ(player_->nlines, 1);
    for (int p = 0; p < 22; p++) {
        EXPECT_EQ(player_->jid[p], kStandIds[p]) << kStandNames[p];
        EXPECT_FLOAT_EQ(player_->angles[p], static_cast<float>(row[p]));
    }
}

TEST_F(KeyFrameTest, InterpolationRuns15nPlusOneCallsAndEndsOnTheTarget)
{
    std::vector<double> row(22, 0.0);
    row[8] = 20.0;  // llj3, inverted
    row[6] = -8.0;  // llj1
    row[2] = 30.0;  // laj1, inverted
    row[0] = 50.0;  // hj1, never written
    ASSERT_TRUE(load(write("stand3.dat", stand_file({row}))));
    for (int id = 0; id < 22; id++) set_angle(id, 10.0f);

    for (int n : {1, 2}) {
        std::vector<std::string> outs;
        int calls = 0;
        bool running = true;
        while (running && calls < 1000) {
            std::stringstream out;
            running = player_->interpolate(0, n, out, true);
            outs.push_back(out.str());
            calls++;
        }
        ASSERT_EQ(calls, 15 * n + 1) << "n = " << n;

        // First call: the set-point is the angle just read, so no motion.
        for (const auto& c : commands(outs.front())) EXPECT_NEAR(c.second, 0.0, 1e-9) << c.first;

        // Last call: the target itself, inverted joints negated, head untouched.
        const auto last = commands(outs.back());
        ASSERT_EQ(last.size(), 20u);
        for (const auto& c : last) {
            EXPECT_NE(c.first.substr(0, 2), "he");
            double expected = (0.0 - 10.0) / 4.0;
            if (c.first == "lle3") expected = (-20.0 - 10.0) / 4.0;
            if (c.first == "lle1") expected = (-8.0 - 10.0) / 4.0;
            if (c.first == "lae1") expected = (-30.0 - 10.0) / 4.0;
            EXPECT_NEAR(c.second, expected, 0.006) << c.first;
        }
        EXPECT_FLOAT_EQ(player_->captured[2], -20.0f);  // left hip pitch slot
        EXPECT_FLOAT_EQ(player_->captured[0], -8.0f);   // left hip yaw-pitch slot
        EXPECT_FLOAT_EQ(player_->captured[6], 0.0f);    // right hip yaw-pitch slot
    }
}

TEST_F(KeyFrameTest, HalfWayTheSetPointIsHalfWay)
{
    std::vector<double> row(22, 0.0);
    row[6] = 30.0;  // llj1
    ASSERT_TRUE(load(write("stand3.dat", stand_file({row}))));
    set_angle(2, 0.0f);
    std::stringstream out;
    for (int i = 0; i < 8; i++) player_->interpolate(0, 1, out, true);
    // The eighth call applies 7 of 15 increments.
    EXPECT_NEAR(player_->captured[0], 30.0 * 7 / 15, 1e-4);
}

TEST_F(KeyFrameTest, ZeroStepsCountAsOne)
{
    ASSERT_TRUE(load(write("stand3.dat", stand_file({std::vector<double>(22, 1.0)}))));
    int calls = 0;
    std::stringstream out;
    while (player_->interpolate(0, 0, out, false) && calls < 1000) calls++;
    EXPECT_EQ(calls + 1, 16);
}

TEST_F(KeyFrameTest, AnotherPlayerStartsAFreshInterpolation)
{
    ASSERT_TRUE(load(write("a.dat", stand_file({std::vector<double>(22, 40.0)}))));
    naosimplemove_t other;
    ASSERT_TRUE(
        other.load(write("b.dat", stand_file({std::vector<double>(22, 40.0)})).c_str(), &parse_.mJointIDMap));
    set_angle(2, 5.0f);
    std::stringstream out;
    for (int i = 0; i < 5; i++) ASSERT_TRUE(player_->interpolate(0, 1, out, true));

    // The other player takes its own start angles and needs its 16 calls.
    set_angle(2, -3.0f);
    std::stringstream first;
    ASSERT_TRUE(other.interpolate(0, 1, first, true));
    EXPECT_FLOAT_EQ(other.captured[0], -3.0f);
    int calls = 1;
    while (other.interpolate(0, 1, out, true) && calls < 100) calls++;
    EXPECT_EQ(calls + 1, 16);
}

TEST_F(KeyFrameTest, ResetDropsAHalfFinishedInterpolation)
{
    ASSERT_TRUE(load(write("a.dat", stand_file({std::vector<double>(22, 40.0)}))));
    set_angle(2, 5.0f);
    std::stringstream out;
    for (int i = 0; i < 5; i++) player_->interpolate(0, 1, out, true);
    naosimplemove_t::reset_interpolation();
    set_angle(2, 7.0f);
    player_->interpolate(0, 1, out, true);
    EXPECT_FLOAT_EQ(player_->captured[0], 7.0f);
}

TEST_F(KeyFrameTest, NextPlaysLineByLine)
{
    std::vector<double> a(22, 0.0), b(22, 0.0), c(22, 0.0);
    a[0] = 8.0;   // hj1: speed 2
    b[8] = 12.0;  // llj3 inverted: speed -3
    c[6] = 1.2;   // llj1: speed 0.3, written as 0
    ASSERT_TRUE(load(write("three.dat", stand_file({a, b, c}))));
    std::stringstream o1, o2, o3, o4;
    EXPECT_TRUE(player_->next(o1));
    EXPECT_TRUE(player_->next(o2));
    EXPECT_FALSE(player_->next(o3));
    EXPECT_NE(o1.str().find("(he1 2)"), std::string::npos) << o1.str();
    EXPECT_EQ(commands(o1.str()).size(), 22u);
    EXPECT_NE(o2.str().find("(lle3 -3)"), std::string::npos) << o2.str();
    EXPECT_NE(o3.str().find("(lle1 0)"), std::string::npos) << o3.str();
    // Past the end nothing is read or written.
    EXPECT_FALSE(player_->next(o4));
    EXPECT_EQ(o4.str(), "");
    EXPECT_EQ(player_->cur_line, 3);
}

TEST_F(KeyFrameTest, ClearAllEffectorText)
{
    std::stringstream out;
    naosimplemove_t::clearAllEffector(out);
    EXPECT_EQ(out.str(),
              "(lae1 0)(rae1 0)(lae2 0)(rae2 0)(lae3 0)(rae3 0)(lae4 0)(rae4 0)"
              "(lle1 0)(rle1 0)(lle2 0)(rle2 0)(lle3 0)(rle3 0)(lle4 0)(rle4 0)"
              "(lle5 0)(rle5 0)(lle6 0)(rle6 0)");
}

struct MalformedCase {
    const char* name;
    std::string text;
    bool loads;
    int njoints;
    int nlines;
    const char* message;  // expected on standard error, or ""
};

class KeyFrameMalformedTest : public KeyFrameTest, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(KeyFrameMalformedTest, IsHandledWithinBounds)
{
    const MalformedCase& c = GetParam();
    const std::string path = write("bad.dat", c.text);
    ::testing::internal::CaptureStderr();
    const bool ok = load(path);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(ok, c.loads);
    EXPECT_EQ(player_->njoints, c.njoints);
    EXPECT_EQ(player_->nlines, c.nlines);
    if (c.message[0] != '\0') {
        std::string expected = c.message;
        const size_t at = expected.find("%s");
        if (at != std::string::npos) expected.replace(at, 2, path);
        EXPECT_NE(err.find(expected), std::string::npos) << err;
    } else {
        EXPECT_EQ(err, "");
    }
    for (int p = c.njoints; p < 22; p++) EXPECT_EQ(player_->jid[p], -1);
    // Playing what was read stays within the table.
    for (int id = 0; id < 22; id++) set_angle(id, 0.0f);
    std::stringstream out;
    int calls = 0;
    while (player_->interpolate(0, 1, out, true) && calls < 100) calls++;
    EXPECT_EQ(calls, c.njoints > 0 ? 15 : 0);
}

std::string names(int n, const char* end)
{
    std::string s = " ";
    for (int i = 0; i < n; i++) s += std::string(kStandNames[i % 22]) + (i + 1 < n ? " " : "");
    return s + end;
}

std::string values(int n, const char* end)
{
    std::string s = " ";
    for (int i = 0; i < n; i++) s += "1.50" + std::string(i + 1 < n ? " " : "");
    return s + end;
}

INSTANTIATE_TEST_SUITE_P(
    Files, KeyFrameMalformedTest,
    ::testing::Values(MalformedCase{"Empty", "", true, 0, 0, "(log loading ERROR %s)\n"},
                      MalformedCase{"UnknownJoint", " hj1 xyz9 llj1 \n 1 2 3 \n", false, 1, 0,
                                    "(log bh_step load unknown joint id! [xyz9])\n"},
                      MalformedCase{"NoTrailingBlank", names(22, "\n") + values(22, "\n"), true, 22, 1, ""},
                      MalformedCase{"Crlf", names(22, " \r\n") + values(22, " \r\n") + values(22, "\r\n"),
                                    true, 22, 2, ""},
                      MalformedCase{"TooManyNames", names(25, " \n") + values(25, " \n"), true, 22, 1,
                                    "(log line_width != head_size in %s line 0)\n"},
                      MalformedCase{"TooManyNamesHeaderOnly", names(30, "\n"), true, 22, 0,
                                    "(log line_width != head_size in %s line -1)\n"},
                      MalformedCase{"MissingValue", names(22, " \n") + values(21, " \n"), true, 22, 1,
                                    "(log line_width != head_size in %s line 0)\n"},
                      MalformedCase{"TooManyValues", names(3, " \n") + values(30, " \n") + values(3, " \n"),
                                    true, 3, 2, "(log line_width != head_size in %s line 0)\n"},
                      MalformedCase{"HeaderOnly", names(4, " \n"), true, 4, 0, ""},
                      MalformedCase{"NoFinalNewline", names(2, ""), true, 2, 0, ""}),
    [](const ::testing::TestParamInfo<MalformedCase>& i) { return std::string(i.param.name); });

TEST_F(KeyFrameTest, MissingValuesKeepZero)
{
    const std::string path = write("short.dat", names(22, " \n") + values(22, " \n") + values(21, " \n"));
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(load(path));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("(log line_width != head_size in " + path + " line 1)\n"), std::string::npos) << err;
    EXPECT_FLOAT_EQ(player_->angles[22 + 20], 1.5f);
    EXPECT_FLOAT_EQ(player_->angles[22 + 21], 0.0f);
}

TEST_F(KeyFrameTest, StopsAt512Lines)
{
    std::string text = names(2, " \n");
    for (int i = 0; i < 600; i++) text += " " + std::to_string(i) + " 1 \n";
    const std::string path = write("long.dat", text);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(load(path));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(player_->nlines, 512);
    EXPECT_FLOAT_EQ(player_->angles[511 * 2], 511.0f);
    EXPECT_NE(err.find("(log line_id == MAX_JID_LINES in " + path + ")\n"), std::string::npos) << err;
}

TEST_F(KeyFrameTest, MissingFileFailsAndLeavesAnEmptyPlayer)
{
    const std::string path = dir_ + "/none.dat";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(load(path));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "(log fopen " + path + " error)\n");
    EXPECT_EQ(player_->njoints, 0);
    std::stringstream out;
    EXPECT_FALSE(player_->interpolate(0, 1, out, false));
    EXPECT_FALSE(player_->next(out));
    EXPECT_EQ(out.str(), "");
}

}  // namespace

TEST_F(KeyFrameTest, ANonFinitePerceivedAngleLeavesOnlyThatJointOut)
{
    ASSERT_TRUE(
        load(write("stand3.dat", stand_file({std::vector<double>(22, 5.0), std::vector<double>(22, 6.0)}))));
    for (int id = 0; id < 22; id++) set_angle(id, 1.0f);
    set_angle(NaoParse::JID_LLEG_3, std::nanf(""));
    set_angle(NaoParse::JID_RARM_2, INFINITY);

    std::string all;
    std::stringstream out;
    int calls = 0;
    while (player_->interpolate(0, 1, out, false) && calls < 100) calls++;
    all += out.str();
    std::stringstream played;
    player_->next(played);
    all += played.str();

    EXPECT_EQ(all.find("nan"), std::string::npos) << all;
    EXPECT_EQ(all.find("inf"), std::string::npos) << all;
    EXPECT_EQ(all.find("lle3"), std::string::npos);
    EXPECT_EQ(all.find("rae2"), std::string::npos);
    EXPECT_NE(played.str().find("(rle3 "), std::string::npos);
    EXPECT_EQ(commands(played.str()).size(), 22u - 2u);  // next() plays the head too
}
