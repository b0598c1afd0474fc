#include "samples/samples_common.h"

#include <cmath>
#include <iostream>

namespace {

// The joint a predicate names, or null (reported) when it names none.
const JointID* joint_of(const sexp::Node& pred, const JointValueNames& names, const JointIDMap& ids)
{
    std::string name;
    sexp::get_value(pred, names.name, name);
    JointIDMap::const_iterator it = ids.find(name);
    if (it == ids.end()) {
        std::cerr << "(" << names.behavior << ") unknown joint id!" << std::endl;
        return nullptr;
    }
    return &it->second;
}

}  // namespace

std::shared_ptr<sexp::SexpParser> make_sample_parser(sexp::ObjectCore& core)
{
    core.ImportBundle("sexpparser");
    std::shared_ptr<sexp::SexpParser> parser = core.New("SexpParser");
    if (!parser) std::cerr << "unable to create SexpParser instance." << std::endl;
    return parser;
}

void parse_hinge_joint(const sexp::Node& pred, const JointValueNames& names, const JointIDMap& ids,
                       HingeJointSenseMap& joints)
{
    const JointID* id = joint_of(pred, names, ids);
    if (id == nullptr) return;
    float angle;
    if (!sexp::get_value(pred, names.angle, angle)) return;
    HingeJointSense s;
    s.angle = angle;
    joints[*id] = s;
}

void parse_universal_joint(const sexp::Node& pred, const JointValueNames& names, const JointIDMap& ids,
                           UniversalJointSenseMap& joints)
{
    const JointID* id = joint_of(pred, names, ids);
    if (id == nullptr) return;
    UniversalJointSense s;
    const struct {
        const char* key;
        const char* what;
        float* field;
    } values[] = {{names.angle1, "angle1", &s.angle1},
                  {names.angle2, "angle2", &s.angle2},
                  {names.rate1, "rate1", &s.rate1},
                  {names.rate2, "rate2", &s.rate2}};
    for (const auto& v : values) {
        if (v.key == nullptr) continue;
        if (!sexp::get_value(pred, v.key, *v.field)) {
            std::cerr << "(" << names.behavior << ") could not parse universal joint " << v.what << "!"
                      << std::endl;
            return;
        }
    }
    joints[*id] = s;
}

bool parse_joint_predicate(const sexp::Node& pred, const JointValueNames& names, const JointIDMap& ids,
                           HingeJointSenseMap& hinges, UniversalJointSenseMap& universals)
{
    if (pred.name() == "HJ") {
        parse_hinge_joint(pred, names, ids, hinges);
        return true;
    }
    if (pred.name() == "UJ") {
        parse_universal_joint(pred, names, ids, universals);
        return true;
    }
    return false;
}

void arm_sequence_step(const ArmStep* steps, int& state, const HingeJointSenseMap& hinges,
                       const UniversalJointSenseMap& universals, std::ostream& out)
{
    const ArmStep& step = steps[state];
    float angle = 0;
    if (step.universal) {
        UniversalJointSenseMap::const_iterator it = universals.find(step.joint);
        if (it != universals.end()) angle = it->second.angle2;
    } else {
        HingeJointSenseMap::const_iterator it = hinges.find(step.joint);
        if (it != hinges.end()) angle = it->second.angle;
    }
    if (std::fabs(step.target - angle) < kArmStepTolerance) {
        if (step.when_reached) out << step.when_reached;
        state = step.next;
        return;
    }
    out << step.command << 0.1f * (step.target - angle) << ")";
}
