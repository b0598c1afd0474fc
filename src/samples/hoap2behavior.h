// Sample behaviour of the simulator's HOAP-2 model: it waves its right arm
// (shoulder up, elbow turned, forearm up, then the forearm between 90 and
// 60 degrees). The program never creates it.
#ifndef BREVANE_SAMPLES_HOAP2BEHAVIOR_H
#define BREVANE_SAMPLES_HOAP2BEHAVIOR_H

#include <memory>
#include <string>

#include "perception/SimBehavior.h"
#include "samples/samples_common.h"
#include "simclient/object_core.h"

class Hoap2Behavior : public SimBehavior {
public:
    // Joint ids of the perceptor names.
    enum {
        JID_HEAD_1 = 0,
        JID_HEAD_2,
        JID_LLEG_1,
        JID_RLEG_1,
        JID_LLEG_2_3,
        JID_RLEG_2_3,
        JID_LLEG_4,
        JID_RLEG_4,
        JID_LLEG_5_6,
        JID_RLEG_5_6,
        JID_LARM_1_2,
        JID_RARM_1_2,
        JID_LARM_3,
        JID_RARM_3,
        JID_LARM_4,
        JID_RARM_4,
        JID_LARM_5,
        JID_RARM_5
    };

    sexp::ObjectCore core;
    std::shared_ptr<sexp::SexpParser> parser;
    HingeJointSenseMap mHingeJointSenseMap;
    UniversalJointSenseMap mUniversalJointSenseMap;
    JointIDMap mJointIDMap;

    Hoap2Behavior();

    // Creates the parser and the joint names; the scene message.
    std::string Init() override;
    // The joints of msg, then one step of the right arm.
    std::string Think(const std::string& msg) override;

    void SetupJointIDMap();

    // Tests: the arm sequence back to its first step.
    static void reset_arm_sequence();
};

#endif
