#ifndef BREVANE_KINEMATICS_NAOPARAM_H
#define BREVANE_KINEMATICS_NAOPARAM_H

#include "kinematics/naoarm_param.h"
#include "kinematics/naobase_param.h"
#include "kinematics/naoleg_param.h"
#include "kinematics/naoneck_param.h"

#include <cstdio>

// Body parameters of one robot type: the six files under rsg_inputs/, with
// four dimensions replaced by the robot type's walk parameter file.
class NaoParam {
public:
    int Ptype = 0;  // robot type, 0 to 3
    int Stype = 0;  // sub-type, 0
    NaoBase base;   // class-wide torso values
    NaoLeg left_leg;
    NaoLeg right_leg;
    NaoArm left_arm;
    NaoArm right_arm;
    NaoNeck neck;

    // Reads dir + "rsg_inputs/..." (torso, left leg, right leg, left arm,
    // right arm, neck), then takes ThighRelHip2_Z, Hip1RelTorso_X (left;
    // the right leg gets its negation), AnkleRelShank_Z and
    // ElbowRelUpperArm_Y from "./walk_inputs/NAO-DE2014-<Ptype>.txt". A key
    // that file lacks leaves both sides as the body files said. Ends the
    // process (status 0) for a robot type outside 0 to 3. With separator,
    // a line of slashes goes to standard error between the body files and
    // the walk parameter lookups.
    void init(const char* dir, int Ptype, int Stype, bool separator = false);

    // Writes the description files of the whole robot into dir: the torso
    // (NaoBase::write_base_file), then the left leg, the left arm and the
    // neck, whose files are templates that serve both sides. One writer's
    // failure does not stop the next. Nothing in the programs calls it.
    void write_rsg_files(const char* dir = NAO_RSG_INSTALL_DIR);
};

// Reader of the walk parameter file of a robot type:
// dir + "walk_inputs/NAO-DE2014-<Ptype>.txt", one "key value" per line.
class NaoWalkParam {
public:
    // Overwrites value with the file's last value for key, when the file has
    // it. 1 when the file was read, 0 (with a message) when it cannot be
    // opened. Any (Ptype, Stype) but (0..3, 0) ends the process with status 0.
    static int set(int Ptype, int Stype, const char* key, double& value, const char* dir);
};

// Line reader shared by the body parameter files: a line counts when it
// starts in its first column with one of the n keys (tried in order), then
// optional blanks and a number; the first key that matches takes the value.
// Other lines are skipped; of repeated keys the last wins.
void read_body_param_lines(FILE* f, const char* const* keys, float* const* fields, int n);

#endif
