#ifndef BREVANE_KINEMATICS_NAOBASE_PARAM_H
#define BREVANE_KINEMATICS_NAOBASE_PARAM_H

#include "kinematics/rsg_writer.h"

// Torso of the simulated Nao. Body-file axes: X to the robot's right,
// Y forward, Z up; metres and kilograms. The values are class-wide: every
// limb's absolute positions are anchored at the one torso position.
class NaoBase {
public:
    static float Torso_X;
    static float Torso_Y;
    static float Torso_Z;
    static float TorsoLength;
    static float TorsoWidth;
    static float TorsoHeight;
    static float TorsoMass;

    // Reads "rsg_inputs/naobase_input.txt"-style files: 1 when read, 0 (with
    // a message, values unchanged) when the file cannot be opened.
    int init(const char* path);

    // Back to all zero; the values are shared by the whole process, so tests
    // start from a known state with it.
    static void reset();

    // Writes the top-level description of the heterogeneous Nao, dir +
    // "nao_hetero.rsg" (the scene the agents name in their scene message):
    // the torso's size, mass and initial position, then a copy of the tail
    // file "data-rsg/naobase_end_model.rsg" of the working directory. A
    // file that cannot be opened is reported ("NaoBase::write fopen <file>
    // FAILED") and nothing is written; without the tail (reported too) the
    // file holds the torso's definitions.
    static void write_base_file(const char* dir = NAO_RSG_INSTALL_DIR);
};

#endif
