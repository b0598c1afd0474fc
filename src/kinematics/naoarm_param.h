#ifndef BREVANE_KINEMATICS_NAOARM_PARAM_H
#define BREVANE_KINEMATICS_NAOARM_PARAM_H

// One arm of the simulated Nao in the body files' axes (X right, Y forward,
// Z up). Every field starts at 0.

#include <cstdio>

#include "kinematics/rsg_writer.h"

class NaoArm_position {
public:
    // Position of each body relative to its parent (read from the file).
    // The upper-arm keys have no underscore before the axis letter.
    float ShoulderRelTorso_X = 0, ShoulderRelTorso_Y = 0, ShoulderRelTorso_Z = 0;
    float UpperarmRelShoulderX = 0, UpperarmRelShoulderY = 0, UpperarmRelShoulderZ = 0;
    float ElbowRelUpperArm_X = 0, ElbowRelUpperArm_Y = 0, ElbowRelUpperArm_Z = 0;
    float LowerarmRelElbow_X = 0, LowerarmRelElbow_Y = 0, LowerarmRelElbow_Z = 0;
    // Absolute positions (derived after reading, never read).
    float Shoulder_X = 0, Shoulder_Y = 0, Shoulder_Z = 0;
    float Upperarm_X = 0, Upperarm_Y = 0, Upperarm_Z = 0;
    float Elbow_X = 0, Elbow_Y = 0, Elbow_Z = 0;
    float LowerArm_X = 0, LowerArm_Y = 0, LowerArm_Z = 0;

    // The position parameters of the arm's description file.
    void write_position_param(FILE* f);
};

class NaoArm_size_mass {
public:
    float ShoulderRadius = 0, ShoulderMass = 0;
    float UpperArmSizeX = 0, UpperArmSizeY = 0, UpperArmSizeZ = 0, UpperArmMass = 0;
    float ElbowRadius = 0, ElbowMass = 0;
    float LowerArmSizeX = 0, LowerArmSizeY = 0, LowerArmSizeZ = 0, LowerArmMass = 0;

    // The size and mass parameters of the arm's description file.
    void write_size_mass(FILE* f);
};

class NaoArm : public NaoArm_position, public NaoArm_size_mass {
public:
    // Reads an arm file, then derives the absolute positions. 1 when read, 0
    // (with a message, values unchanged) when the file cannot be opened.
    int init(const char* path);

    // Writes the arm as dir + "naoarm.rsg" (a template for both arms), as
    // NaoLeg::write_file does, with the tail "data-rsg/naoarm_end_model.rsg";
    // "NaoArm write_file FAILED" when the file cannot be written.
    void write_file(const char* dir = NAO_RSG_INSTALL_DIR);
    void write_begin(FILE* f);
    void write_names(FILE* f);
    void write_joint(FILE* f);
    void write_end(FILE* f);
};

#endif
