#include "samples/soccerbotbehavior.h"

#include "perception/naoparse.h"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

const JointValueNames kNames = {"SoccerbotBehavior", "n", "ax", "ax1", "ax2", nullptr, nullptr};

const ArmStep kRightArm[] = {
    {"(rae1_2 0.0 ", SoccerbotBehavior::JID_RARM_1_2, true, -90, 1, nullptr},
    {"(rae3 ", SoccerbotBehavior::JID_RARM_3, false, -90, 2, nullptr},
    {"(rae4 ", SoccerbotBehavior::JID_RARM_4, false, 90, 3, "(say woohoo)"},
    {"(rae4 ", SoccerbotBehavior::JID_RARM_4, false, 45, 2, nullptr},
};

const ArmStep kLeftArm[] = {
    {"(lae1_2 0.0 ", SoccerbotBehavior::JID_LARM_1_2, true, 90, 1, nullptr},
    {"(lae3 ", SoccerbotBehavior::JID_LARM_3, false, 90, 2, nullptr},
    {"(lae4 ", SoccerbotBehavior::JID_LARM_4, false, 90, 3, nullptr},
    {"(lae4 ", SoccerbotBehavior::JID_LARM_4, false, 45, 2, nullptr},
};

int& rightstate()
{
    static int rightstate = 0;
    return rightstate;
}

int& leftstate()
{
    static int leftstate = 0;
    return leftstate;
}

}  // namespace

SoccerbotBehavior::SoccerbotBehavior() : core(".FIRST_TEST") {}

std::string SoccerbotBehavior::Init()
{
    parser = make_sample_parser(core);
    SetupJointIDMap();
    return "(scene rsg/agent/soccerbotcomp.rsg)";
}

void SoccerbotBehavior::SetupJointIDMap()
{
    static const char* const names[] = {"llj1",   "rlj1",   "llj2_3", "rlj2_3", "llj4", "rlj4",
                                        "llj5_6", "rlj5_6", "laj1_2", "raj1_2", "laj3", "raj3",
                                        "laj4",   "raj4",   "laj5",   "raj5"};
    mJointIDMap.clear();
    for (int i = 0; i < 16; ++i) mJointIDMap[names[i]] = JID_LLEG_1 + i;
}

void SoccerbotBehavior::ParseHearInfo(const sexp::Node& pred)
{
    double t;
    std::string sender, message;
    if (!NaoParse::ReadHearEcho(pred, t, sender, message)) return;
    const float time = static_cast<float>(t);
    if (sender == "self") {
        std::cout << "I said " << message << " at " << time << std::endl;
        return;
    }
    // Anyone else is heard from a direction, degrees.
    const double direction = std::strtod(sender.c_str(), nullptr);
    std::cout << "Someone " << (std::fabs(direction) < 90 ? "in front of" : "behind") << " me said "
              << message << " at " << time << std::endl;
}

std::string SoccerbotBehavior::Think(const std::string& msg)
{
    if (!mInitSent) {
        mInitSent = true;
        return "(init (unum 0)(teamname Velloran))";
    }
    if (parser) {
        for (const sexp::Node& pred : parser->parse(msg)) {
            if (!parse_joint_predicate(pred, kNames, mJointIDMap, mHingeJointSenseMap,
                                       mUniversalJointSenseMap) &&
                pred.name() == "hear")
                ParseHearInfo(pred);
        }
    }
    std::ostringstream ss;
    arm_sequence_step(kRightArm, rightstate(), mHingeJointSenseMap, mUniversalJointSenseMap, ss);
    arm_sequence_step(kLeftArm, leftstate(), mHingeJointSenseMap, mUniversalJointSenseMap, ss);
    return ss.str();
}

void SoccerbotBehavior::reset_arm_sequences()
{
    rightstate() = 0;
    leftstate() = 0;
}
