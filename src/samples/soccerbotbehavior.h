// Sample behaviour of the simulator's Soccerbot model: it announces itself
// and waves both arms (shoulder out, elbow turned, forearm up, then the
// forearm between 90 and 45 degrees), saying "woohoo" each time the right
// forearm is up, and prints what it hears. The program never creates it.
#ifndef BREVANE_SAMPLES_SOCCERBOTBEHAVIOR_H
#define BREVANE_SAMPLES_SOCCERBOTBEHAVIOR_H

#include <memory>
#include <string>

#include "perception/SimBehavior.h"
#include "samples/samples_common.h"
#include "simclient/object_core.h"

class SoccerbotBehavior : public SimBehavior {
public:
    // Joint ids of the perceptor names.
    enum {
        JID_LLEG_1 = 2,
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
    bool mInitSent = false;  // the init message was sent

    SoccerbotBehavior();

    // Creates the parser and the joint names; the scene message.
    std::string Init() override;
    // First call: the init message. Later calls: the joints and hear
    // messages of msg, then one step of each arm.
    std::string Think(const std::string& msg) override;

    void SetupJointIDMap();
    void ParseHearInfo(const sexp::Node& pred);

    // Tests: both arm sequences back to their first step.
    static void reset_arm_sequences();
};

#endif
