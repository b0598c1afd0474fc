#include "kinematics/naobase_param.h"

#include <cstdio>

#include "kinematics/naoparam.h"

float NaoBase::Torso_X = 0;
float NaoBase::Torso_Y = 0;
float NaoBase::Torso_Z = 0;
float NaoBase::TorsoLength = 0;
float NaoBase::TorsoWidth = 0;
float NaoBase::TorsoHeight = 0;
float NaoBase::TorsoMass = 0;

int NaoBase::init(const char* path) {
    FILE* f = fopen(path, "r");
    if (f == nullptr) {
        fprintf(stderr, "NaoBase::init fopen %s FAILED\n", path);
        return 0;
    }
    static const char* const keys[] = {"Torso_X",    "Torso_Y",     "Torso_Z",  "TorsoLength",
                                       "TorsoWidth", "TorsoHeight", "TorsoMass"};
    float* const fields[] = {&Torso_X, &Torso_Y, &Torso_Z, &TorsoLength, &TorsoWidth, &TorsoHeight, &TorsoMass};
    read_body_param_lines(f, keys, fields, 7);
    fclose(f);
    return 1;
}

void NaoBase::reset() {
    Torso_X = Torso_Y = Torso_Z = 0;
    TorsoLength = TorsoWidth = TorsoHeight = TorsoMass = 0;
}
