#include "kinematics/naoneck_param.h"

#include <cstdio>

#include "kinematics/naoparam.h"

int NaoNeck::init(const char* path) {
    FILE* f = fopen(path, "r");
    if (f == nullptr) {
        fprintf(stderr, "NaoNeck::init fopen %s FAILED\n", path);
        return 0;
    }
    static const char* const keys[] = {"Neck_Radius", "Neck_Length", "Neck_Mass", "Head_Radius", "Head_Mass"};
    float* const fields[] = {&Neck_Radius, &Neck_Length, &Neck_Mass, &Head_Radius, &Head_Mass};
    read_body_param_lines(f, keys, fields, 5);
    fclose(f);
    return 1;
}
