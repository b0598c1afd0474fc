#include "kinematics/naoleg_param.h"

#include <cstdio>

#include "kinematics/naobase_param.h"
#include "kinematics/naoparam.h"

int NaoLeg::init(const char* path) {
    FILE* f = fopen(path, "r");
    if (f == nullptr) {
        fprintf(stderr, "NaoLeg::init fopen %s FAILED\n", path);
        return 0;
    }
    static const char* const keys[] = {
        "Hip1RelTorso_X",  "Hip1RelTorso_Y",  "Hip1RelTorso_Z",  "Hip2RelHip1_X",   "Hip2RelHip1_Y",
        "Hip2RelHip1_Z",   "ThighRelHip2_X",  "ThighRelHip2_Y",  "ThighRelHip2_Z",  "ShankRelThigh_X",
        "ShankRelThigh_Y", "ShankRelThigh_Z", "AnkleRelShank_X", "AnkleRelShank_Y", "AnkleRelShank_Z",
        "FootRelAnkle_X",  "FootRelAnkle_Y",  "FootRelAnkle_Z",  "Hip1Radius",      "Hip1Mass",
        "Hip2Radius",      "Hip2Mass",        "ThighSizeX",      "ThighSizeY",      "ThighSizeZ",
        "ThighMass",       "ShankSizeX",      "ShankSizeY",      "ShankSizeZ",      "ShankMass",
        "AnkleRadius",     "AnkleMass",       "FootSizeX",       "FootSizeY",       "FootSizeZ",
        "FootMass"};
    float* const rel[18] = {&Hip1RelTorso_X,  &Hip1RelTorso_Y,  &Hip1RelTorso_Z,  &Hip2RelHip1_X,
                            &Hip2RelHip1_Y,   &Hip2RelHip1_Z,   &ThighRelHip2_X,  &ThighRelHip2_Y,
                            &ThighRelHip2_Z,  &ShankRelThigh_X, &ShankRelThigh_Y, &ShankRelThigh_Z,
                            &AnkleRelShank_X, &AnkleRelShank_Y, &AnkleRelShank_Z, &FootRelAnkle_X,
                            &FootRelAnkle_Y,  &FootRelAnkle_Z};
    float* const fields[36] = {rel[0],       rel[1],      rel[2],       rel[3],      rel[4],     rel[5],
                               rel[6],       rel[7],      rel[8],       rel[9],      rel[10],    rel[11],
                               rel[12],      rel[13],     rel[14],      rel[15],     rel[16],    rel[17],
                               &Hip1Radius,  &Hip1Mass,   &Hip2Radius,  &Hip2Mass,   &ThighSizeX, &ThighSizeY,
                               &ThighSizeZ,  &ThighMass,  &ShankSizeX,  &ShankSizeY, &ShankSizeZ, &ShankMass,
                               &AnkleRadius, &AnkleMass,  &FootSizeX,   &FootSizeY,  &FootSizeZ,  &FootMass};
    read_body_param_lines(f, keys, fields, 36);
    fclose(f);

    // Each body's absolute position is its parent's plus its relative one.
    float* const abs[18] = {&Hip1_X,  &Hip1_Y,  &Hip1_Z,  &Hip2_X,  &Hip2_Y,  &Hip2_Z,
                            &Thigh_X, &Thigh_Y, &Thigh_Z, &Shank_X, &Shank_Y, &Shank_Z,
                            &Ankle_X, &Ankle_Y, &Ankle_Z, &Foot_X,  &Foot_Y,  &Foot_Z};
    *abs[0] = NaoBase::Torso_X + *rel[0];
    *abs[1] = NaoBase::Torso_Y + *rel[1];
    *abs[2] = NaoBase::Torso_Z + *rel[2];
    for (int k = 3; k < 18; k++) *abs[k] = *abs[k - 3] + *rel[k];
    return 1;
}
