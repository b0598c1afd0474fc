// The HOAP-2 sample: its texts, its right-arm sequence on hand-built joint
// messages and its joint value names.
#include "samples/hoap2behavior.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class Hoap2Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        Hoap2Behavior::reset_arm_sequence();
        EXPECT_EQ(robot.Init(), "(scene rsg/agent/hoap2.rsg)");
    }
    Hoap2Behavior robot;
};

// Shoulder (second angle), elbow and forearm of the right arm.
std::string arm(float j12, float j3, float j4)
{
    char m[256];
    std::snprintf(m, sizeof(m),
                  "(UJ (name rarm_joint_1_2) (axis1 0) (axis2 %g) (rate1 0) (rate2 0))"
                  "(HJ (name rarm_joint_3) (axis %g))(HJ (name rarm_joint_4) (axis %g))",
                  j12, j3, j4);
    return m;
}

TEST_F(Hoap2Test, RightArmWavesStepByStepFromTheFirstThink)
{
    struct Row {
        std::string msg;
        const char* answer;
    } rows[] = {
        {arm(0, 0, 0), "(rarm_eff_1_2 0.0 9)"},
        {arm(89.9f, 0, 0), ""},
        {arm(89.9f, 0, 0), "(rarm_eff_3 -9)"},
        {arm(89.9f, -70, 0), "(rarm_eff_3 -2)"},
        {arm(89.9f, -90, 0), ""},
        {arm(89.9f, -90, 30), "(rarm_eff_4 6)"},
        {arm(89.9f, -90, 90), ""},
        {arm(89.9f, -90, 90), "(rarm_eff_4 -3)"},
        {arm(89.9f, -90, 60.3f), ""},
        {arm(89.9f, -90, 60.3f), "(rarm_eff_4 2.97)"},
        {arm(89.9f, -90, 90), ""},
        {arm(89.9f, -90, 90), "(rarm_eff_4 -3)"},
    };
    int i = 0;
    for (const Row& r : rows) EXPECT_EQ(robot.Think(r.msg), r.answer) << "row " << i++;
}

TEST_F(Hoap2Test, JointsAreReadUnderTheirOwnValueNames)
{
    struct Row {
        const char* msg;
        const char* error;
    } rows[] = {
        {"(HJ (n rarm_joint_3) (ax 30))", "(Hoap2Behavior) unknown joint id!\n"},
        {"(HJ (name raj3) (axis 30))", "(Hoap2Behavior) unknown joint id!\n"},
        {"(HJ (name rarm_joint_3) (ax 30))", ""},
        {"(UJ (name rarm_joint_1_2) (axis2 1) (rate1 0) (rate2 0))",
         "(Hoap2Behavior) could not parse universal joint angle1!\n"},
        {"(UJ (name rarm_joint_1_2) (axis1 1) (rate1 0) (rate2 0))",
         "(Hoap2Behavior) could not parse universal joint angle2!\n"},
        {"(UJ (name rarm_joint_1_2) (axis1 1) (axis2 1) (rate2 0))",
         "(Hoap2Behavior) could not parse universal joint rate1!\n"},
        {"(UJ (name rarm_joint_1_2) (axis1 1) (axis2 1) (rate1 0))",
         "(Hoap2Behavior) could not parse universal joint rate2!\n"},
        {"(UJ (n rarm_joint_1_2) (ax1 1) (ax2 1))", "(Hoap2Behavior) unknown joint id!\n"},
    };
    for (const Row& r : rows) {
        ::testing::internal::CaptureStderr();
        robot.Think(r.msg);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), r.error) << r.msg;
        EXPECT_TRUE(robot.mUniversalJointSenseMap.empty()) << r.msg;
        EXPECT_TRUE(robot.mHingeJointSenseMap.empty()) << r.msg;
    }
    robot.Think(
        "(UJ (name lleg_joint_2_3) (axis1 -4) (axis2 6) (rate1 1.5) (rate2 -2.5))"
        "(HJ (name head_joint_2) (axis 20))");
    const UniversalJointSense& u = robot.mUniversalJointSenseMap[Hoap2Behavior::JID_LLEG_2_3];
    EXPECT_FLOAT_EQ(u.angle1, -4);
    EXPECT_FLOAT_EQ(u.angle2, 6);
    EXPECT_FLOAT_EQ(u.rate1, 1.5);
    EXPECT_FLOAT_EQ(u.rate2, -2.5);
    EXPECT_FLOAT_EQ(robot.mHingeJointSenseMap[Hoap2Behavior::JID_HEAD_2].angle, 20);
}

TEST_F(Hoap2Test, JointNamesHaveTheirIds)
{
    const char* const names[] = {"head_joint_1",   "head_joint_2",   "lleg_joint_1",   "rleg_joint_1",
                                 "lleg_joint_2_3", "rleg_joint_2_3", "lleg_joint_4",   "rleg_joint_4",
                                 "lleg_joint_5_6", "rleg_joint_5_6", "larm_joint_1_2", "rarm_joint_1_2",
                                 "larm_joint_3",   "rarm_joint_3",   "larm_joint_4",   "rarm_joint_4",
                                 "larm_joint_5",   "rarm_joint_5"};
    ASSERT_EQ(robot.mJointIDMap.size(), 18u);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(robot.mJointIDMap[names[i]], i) << names[i];
}

}  // namespace
