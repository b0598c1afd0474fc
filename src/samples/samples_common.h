// What the sample behaviours share: the making of their parser; for the
// arm-waving ones their joint records, the reading of hinge and universal
// joint predicates under each model's value names, and the arm sequences
// as tables of steps.
#ifndef BREVANE_SAMPLES_SAMPLES_COMMON_H
#define BREVANE_SAMPLES_SAMPLES_COMMON_H

#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "simclient/object_core.h"
#include "simclient/sexp_parser.h"

// Imports the parser's bundle into the core and makes a parser; null, with
// "unable to create SexpParser instance." on standard error, when none
// results.
std::shared_ptr<sexp::SexpParser> make_sample_parser(sexp::ObjectCore& core);

struct HingeJointSense {
    float angle = 0;  // degrees
    float rate = 0;
};

struct UniversalJointSense {
    float angle1 = 0, rate1 = 0;  // degrees
    float angle2 = 0, rate2 = 0;
};

typedef int JointID;
typedef std::map<JointID, HingeJointSense> HingeJointSenseMap;
typedef std::map<JointID, UniversalJointSense> UniversalJointSenseMap;
typedef std::map<std::string, JointID> JointIDMap;

// The value names of one robot model's joint predicates; a null rate name
// is not read. `behavior` prefixes the messages: "(<behavior>) unknown joint
// id!", "(<behavior>) could not parse universal joint angle1!" ...
struct JointValueNames {
    const char* behavior;
    const char* name;
    const char* angle;   // hinge
    const char* angle1;  // universal
    const char* angle2;
    const char* rate1;
    const char* rate2;
};

// A hinge joint predicate: a known joint with its angle is stored (rate 0).
void parse_hinge_joint(const sexp::Node& pred, const JointValueNames& names, const JointIDMap& ids,
                       HingeJointSenseMap& joints);
// A universal joint predicate: stored once every value named was read; the
// first missing one is reported and the predicate skipped.
void parse_universal_joint(const sexp::Node& pred, const JointValueNames& names, const JointIDMap& ids,
                           UniversalJointSenseMap& joints);
// "HJ" and "UJ" predicates as above; false for any other predicate.
bool parse_joint_predicate(const sexp::Node& pred, const JointValueNames& names, const JointIDMap& ids,
                           HingeJointSenseMap& hinges, UniversalJointSenseMap& universals);

// One step of an arm sequence: it drives one joint (a hinge angle, or the
// second angle of a universal joint) towards its target with the speed
// 0.1 x (target - angle), written as command + speed + ")", until the angle
// is within half a degree of the target; then the sequence goes on with
// step `next` from the next cycle, writing `when_reached` (when not null)
// once.
struct ArmStep {
    const char* command;  // "(rae3 " or "(rae1_2 0.0 "
    JointID joint;
    bool universal;
    float target;  // degrees
    int next;
    const char* when_reached;
};

const float kArmStepTolerance = 0.5f;  // degrees

// Runs step `state` of the sequence; a joint never perceived reads 0.
void arm_sequence_step(const ArmStep* steps, int& state, const HingeJointSenseMap& hinges,
                       const UniversalJointSenseMap& universals, std::ostream& out);

#endif
