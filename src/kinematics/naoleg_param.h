#ifndef BREVANE_KINEMATICS_NAOLEG_PARAM_H
#define BREVANE_KINEMATICS_NAOLEG_PARAM_H

// One leg of the simulated Nao in the body files' axes (X right, Y forward,
// Z up): a left leg's lateral offsets are negative. Every field starts at 0.

#include <cstdio>

#include "kinematics/rsg_writer.h"

class NaoLeg_position {
public:
    // Position of each body relative to its parent (read from the file).
    float Hip1RelTorso_X = 0, Hip1RelTorso_Y = 0, Hip1RelTorso_Z = 0;
    float Hip2RelHip1_X = 0, Hip2RelHip1_Y = 0, Hip2RelHip1_Z = 0;
    float ThighRelHip2_X = 0, ThighRelHip2_Y = 0, ThighRelHip2_Z = 0;
    float ShankRelThigh_X = 0, ShankRelThigh_Y = 0, ShankRelThigh_Z = 0;
    float AnkleRelShank_X = 0, AnkleRelShank_Y = 0, AnkleRelShank_Z = 0;
    float FootRelAnkle_X = 0, FootRelAnkle_Y = 0, FootRelAnkle_Z = 0;
    // Absolute positions, torso position plus the chain of relative ones
    // (derived after reading, never read).
    float Hip1_X = 0, Hip1_Y = 0, Hip1_Z = 0;
    float Hip2_X = 0, Hip2_Y = 0, Hip2_Z = 0;
    float Thigh_X = 0, Thigh_Y = 0, Thigh_Z = 0;
    float Shank_X = 0, Shank_Y = 0, Shank_Z = 0;
    float Ankle_X = 0, Ankle_Y = 0, Ankle_Z = 0;
    float Foot_X = 0, Foot_Y = 0, Foot_Z = 0;

    // The position parameters of the leg's description file.
    void write_position_param(FILE* f);
};

class NaoLeg_size_mass {
public:
    float Hip1Radius = 0, Hip1Mass = 0;
    float Hip2Radius = 0, Hip2Mass = 0;
    float ThighSizeX = 0, ThighSizeY = 0, ThighSizeZ = 0, ThighMass = 0;
    float ShankSizeX = 0, ShankSizeY = 0, ShankSizeZ = 0, ShankMass = 0;
    float AnkleRadius = 0, AnkleMass = 0;
    float FootSizeX = 0, FootSizeY = 0, FootSizeZ = 0, FootMass = 0;

    // The size and mass parameters of the leg's description file.
    void write_size_mass(FILE* f);
};

class NaoLeg : public NaoLeg_position, public NaoLeg_size_mass {
public:
    // Reads a leg file ("rsg_inputs/naoleg_input_left.txt" ...), then derives
    // the absolute positions from NaoBase's torso position. 1 when read, 0
    // (with a message, values unchanged) when the file cannot be opened.
    int init(const char* path);

    // Writes the leg as the simulator's description file dir + "naoleg.rsg"
    // (a template for both legs), ending with a copy of the tail file
    // "data-rsg/naoleg_end_model.rsg" of the working directory. A file that
    // cannot be written is reported ("NaoLeg wirte_file FAILED") and nothing
    // is written; without the tail the file holds the generated blocks.
    void write_file(const char* dir = NAO_RSG_INSTALL_DIR);
    void write_begin(FILE* f);
    void write_names(FILE* f);
    void write_joint(FILE* f);
    void write_end(FILE* f);
};

#endif
