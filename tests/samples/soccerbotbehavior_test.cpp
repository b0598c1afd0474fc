// The Soccerbot sample: init texts, both arm sequences on hand-built joint
// messages, joint and hear messages.
#include "samples/soccerbotbehavior.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class SoccerbotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SoccerbotBehavior::reset_arm_sequences();
        EXPECT_EQ(bot.Init(), "(scene rsg/agent/soccerbotcomp.rsg)");
        EXPECT_EQ(bot.Think("(UJ (n raj1_2) (ax1 0) (ax2 -90))"), "(init (unum 0)(teamname Velloran))");
    }
    SoccerbotBehavior bot;
};

// The arm joints of both sides: shoulder (second angle), elbow, forearm.
std::string arms(float r12, float r3, float r4, float l12, float l3, float l4)
{
    char m[256];
    std::snprintf(m, sizeof(m),
                  "(UJ (n raj1_2) (ax1 0) (ax2 %g))(HJ (n raj3) (ax %g))(HJ (n raj4) (ax %g))"
                  "(UJ (n laj1_2) (ax1 0) (ax2 %g))(HJ (n laj3) (ax %g))(HJ (n laj4) (ax %g))",
                  r12, r3, r4, l12, l3, l4);
    return m;
}

TEST_F(SoccerbotTest, TheFirstThinkOnlyAnnouncedTheRobot)
{
    // The shoulder angle of the init call's message was not read.
    EXPECT_EQ(bot.Think(""), "(rae1_2 0.0 -9)(lae1_2 0.0 9)");
}

// Each arm drives its joint at 0.1 x (target - angle) until it is within
// half a degree, then goes on to its next step; the forearms then swing
// between 90 and 45 degrees, the right one saying so when it is up.
TEST_F(SoccerbotTest, ArmsWaveStepByStep)
{
    struct Row {
        std::string msg;
        const char* answer;
    } rows[] = {
        {arms(0, 0, 0, 0, 0, 0), "(rae1_2 0.0 -9)(lae1_2 0.0 9)"},
        {arms(-50, 0, 0, 50, 0, 0), "(rae1_2 0.0 -4)(lae1_2 0.0 4)"},
        {arms(-89.6f, 0, 0, 89.6f, 0, 0), ""},
        {arms(-89.6f, 0, 0, 89.6f, 0, 0), "(rae3 -9)(lae3 9)"},
        {arms(-89.6f, -90, 0, 89.6f, 80, 0), "(lae3 1)"},
        {arms(-89.6f, -90, 0, 89.6f, 90.4f, 0), "(rae4 9)"},
        {arms(-89.6f, -90, 89.5f, 89.6f, 90.4f, 0), "(rae4 0.05)(lae4 9)"},
        {arms(-89.6f, -90, 90, 89.6f, 90.4f, 90), "(say woohoo)"},
        {arms(-89.6f, -90, 90, 89.6f, 90.4f, 90), "(rae4 -4.5)(lae4 -4.5)"},
        {arms(-89.6f, -90, 45.2f, 89.6f, 90.4f, 60), "(lae4 -1.5)"},
        {arms(-89.6f, -90, 45.2f, 89.6f, 90.4f, 44.6f), "(rae4 4.48)"},
        {arms(-89.6f, -90, 90, 89.6f, 90.4f, 44.6f), "(say woohoo)(lae4 4.54)"},
        {arms(-89.6f, -90, 90, 89.6f, 90.4f, 44.6f), "(rae4 -4.5)(lae4 4.54)"},
    };
    int i = 0;
    for (const Row& r : rows) EXPECT_EQ(bot.Think(r.msg), r.answer) << "row " << i++;
}

TEST_F(SoccerbotTest, BrokenJointPredicatesAreReportedAndSkipped)
{
    struct Row {
        const char* msg;
        const char* error;
    } rows[] = {
        {"(HJ (n rhj9) (ax 30))", "(SoccerbotBehavior) unknown joint id!\n"},
        {"(HJ (ax 30))", "(SoccerbotBehavior) unknown joint id!\n"},
        {"(UJ (n rlj9_9) (ax1 30) (ax2 30))", "(SoccerbotBehavior) unknown joint id!\n"},
        {"(UJ (n raj1_2) (ax2 30))", "(SoccerbotBehavior) could not parse universal joint angle1!\n"},
        {"(UJ (n raj1_2) (ax1 30))", "(SoccerbotBehavior) could not parse universal joint angle2!\n"},
        {"(UJ (n raj1_2) (ax1 30) (ax2 nan))",
         "(SoccerbotBehavior) could not parse universal joint angle2!\n"},
        {"(HJ (n raj3))", ""},  // no angle: nothing to store
    };
    for (const Row& r : rows) {
        ::testing::internal::CaptureStderr();
        bot.Think(r.msg);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), r.error) << r.msg;
        EXPECT_TRUE(bot.mUniversalJointSenseMap.empty()) << r.msg;
        EXPECT_TRUE(bot.mHingeJointSenseMap.empty()) << r.msg;
    }
    // A whole universal joint needs no rates.
    bot.Think("(UJ (n llj5_6) (ax1 -3.5) (ax2 7))(HJ (n rlj4) (ax 12.5))");
    EXPECT_FLOAT_EQ(bot.mUniversalJointSenseMap[SoccerbotBehavior::JID_LLEG_5_6].angle1, -3.5);
    EXPECT_FLOAT_EQ(bot.mUniversalJointSenseMap[SoccerbotBehavior::JID_LLEG_5_6].angle2, 7);
    EXPECT_FLOAT_EQ(bot.mHingeJointSenseMap[SoccerbotBehavior::JID_RLEG_4].angle, 12.5);
}

TEST_F(SoccerbotTest, JointNamesHaveTheirIds)
{
    const char* const names[] = {"llj1",   "rlj1",   "llj2_3", "rlj2_3", "llj4", "rlj4", "llj5_6", "rlj5_6",
                                 "laj1_2", "raj1_2", "laj3",   "raj3",   "laj4", "raj4", "laj5",   "raj5"};
    ASSERT_EQ(bot.mJointIDMap.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(bot.mJointIDMap[names[i]], 2 + i) << names[i];
}

TEST_F(SoccerbotTest, HearsItselfAndOthersByDirection)
{
    struct Row {
        const char* msg;
        const char* out;
        const char* err;
    } rows[] = {
        {"(hear 12.5 self hello)", "I said hello at 12.5\n", ""},
        {"(hear 3 -45 hi)", "Someone in front of me said hi at 3\n", ""},
        {"(hear 3 89.9 hi)", "Someone in front of me said hi at 3\n", ""},
        {"(hear 3 -90 hi)", "Someone behind me said hi at 3\n", ""},
        {"(hear 3.25 135 go)", "Someone behind me said go at 3.25\n", ""},
        {"(hear)", "", "could not get hear time \n"},
        {"(hear now self hi)", "", "could not get hear time \n"},
        {"(hear 1)", "", "could not get sender \n"},
        {"(hear 1 self)", "", "could not get message \n"},
    };
    for (const Row& r : rows) {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        bot.Think(r.msg);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), r.err) << r.msg;
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), r.out) << r.msg;
    }
}

}  // namespace
