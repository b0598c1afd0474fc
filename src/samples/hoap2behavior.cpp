#include "samples/hoap2behavior.h"

#include <iostream>
#include <sstream>

namespace {

const JointValueNames kNames = {"Hoap2Behavior", "name", "axis", "axis1", "axis2", "rate1", "rate2"};

const ArmStep kRightArm[] = {
    {"(rarm_eff_1_2 0.0 ", Hoap2Behavior::JID_RARM_1_2, true, 90, 1, nullptr},
    {"(rarm_eff_3 ", Hoap2Behavior::JID_RARM_3, false, -90, 2, nullptr},
    {"(rarm_eff_4 ", Hoap2Behavior::JID_RARM_4, false, 90, 3, nullptr},
    {"(rarm_eff_4 ", Hoap2Behavior::JID_RARM_4, false, 60, 2, nullptr},
};

int& state()
{
    static int state = 0;
    return state;
}

}  // namespace

Hoap2Behavior::Hoap2Behavior() : core(".FIRST_TEST") {}

std::string Hoap2Behavior::Init()
{
    parser = make_sample_parser(core);
    SetupJointIDMap();
    return "(scene rsg/agent/hoap2.rsg)";
}

void Hoap2Behavior::SetupJointIDMap()
{
    static const char* const names[] = {
        "head_joint_1",   "head_joint_2",   "lleg_joint_1", "rleg_joint_1",   "lleg_joint_2_3",
        "rleg_joint_2_3", "lleg_joint_4",   "rleg_joint_4", "lleg_joint_5_6", "rleg_joint_5_6",
        "larm_joint_1_2", "rarm_joint_1_2", "larm_joint_3", "rarm_joint_3",   "larm_joint_4",
        "rarm_joint_4",   "larm_joint_5",   "rarm_joint_5"};
    mJointIDMap.clear();
    for (int i = 0; i < 18; ++i) mJointIDMap[names[i]] = JID_HEAD_1 + i;
}

std::string Hoap2Behavior::Think(const std::string& msg)
{
    if (parser) {
        for (const sexp::Node& pred : parser->parse(msg))
            parse_joint_predicate(pred, kNames, mJointIDMap, mHingeJointSenseMap, mUniversalJointSenseMap);
    }
    std::ostringstream ss;
    arm_sequence_step(kRightArm, state(), mHingeJointSenseMap, mUniversalJointSenseMap, ss);
    return ss.str();
}

void Hoap2Behavior::reset_arm_sequence() { state() = 0; }
