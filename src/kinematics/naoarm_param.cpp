#include "kinematics/naoarm_param.h"

#include <cstdio>

#include "kinematics/naobase_param.h"
#include "kinematics/naoparam.h"

int NaoArm::init(const char* path) {
    FILE* f = fopen(path, "r");
    if (f == nullptr) {
        fprintf(stderr, "NaoArm::init fopen %s FAILED\n", path);
        return 0;
    }
    static const char* const keys[] = {
        "ShoulderRelTorso_X", "ShoulderRelTorso_Y", "ShoulderRelTorso_Z", "UpperarmRelShoulderX",
        "UpperarmRelShoulderY", "UpperarmRelShoulderZ", "ElbowRelUpperArm_X", "ElbowRelUpperArm_Y",
        "ElbowRelUpperArm_Z", "LowerarmRelElbow_X", "LowerarmRelElbow_Y", "LowerarmRelElbow_Z",
        "ShoulderRadius", "ShoulderMass", "UpperArmSizeX", "UpperArmSizeY",
        "UpperArmSizeZ", "UpperArmMass", "ElbowRadius", "ElbowMass",
        "LowerArmSizeX", "LowerArmSizeY", "LowerArmSizeZ", "LowerArmMass"};
    float* const rel[12] = {&ShoulderRelTorso_X,   &ShoulderRelTorso_Y,   &ShoulderRelTorso_Z,
                            &UpperarmRelShoulderX, &UpperarmRelShoulderY, &UpperarmRelShoulderZ,
                            &ElbowRelUpperArm_X,   &ElbowRelUpperArm_Y,   &ElbowRelUpperArm_Z,
                            &LowerarmRelElbow_X,   &LowerarmRelElbow_Y,   &LowerarmRelElbow_Z};
    float* const fields[24] = {rel[0],         rel[1],         rel[2],         rel[3],        rel[4],
                               rel[5],         rel[6],         rel[7],         rel[8],        rel[9],
                               rel[10],        rel[11],        &ShoulderRadius, &ShoulderMass, &UpperArmSizeX,
                               &UpperArmSizeY, &UpperArmSizeZ, &UpperArmMass,  &ElbowRadius,  &ElbowMass,
                               &LowerArmSizeX, &LowerArmSizeY, &LowerArmSizeZ, &LowerArmMass};
    read_body_param_lines(f, keys, fields, 24);
    fclose(f);

    float* const abs[12] = {&Shoulder_X, &Shoulder_Y, &Shoulder_Z, &Upperarm_X, &Upperarm_Y, &Upperarm_Z,
                            &Elbow_X,    &Elbow_Y,    &Elbow_Z,    &LowerArm_X, &LowerArm_Y, &LowerArm_Z};
    *abs[0] = NaoBase::Torso_X + *rel[0];
    *abs[1] = NaoBase::Torso_Y + *rel[1];
    *abs[2] = NaoBase::Torso_Z + *rel[2];
    for (int k = 3; k < 12; k++) *abs[k] = *abs[k - 3] + *rel[k];
    return 1;
}
