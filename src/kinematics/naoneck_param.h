#ifndef BREVANE_KINEMATICS_NAONECK_PARAM_H
#define BREVANE_KINEMATICS_NAONECK_PARAM_H

// Neck and head of the simulated Nao. Every field starts at 0.

#include <cstdio>

#include "kinematics/rsg_writer.h"

class NaoNeck_size_mass {
public:
    float Neck_Radius = 0, Neck_Length = 0, Neck_Mass = 0;
    float Head_Radius = 0, Head_Mass = 0;

    // The neck and head parameters of the description file.
    void write_neck_param(FILE* f);
    void write_head_param(FILE* f);
};

class NaoNeck : public NaoNeck_size_mass {
public:
    // 1 when read, 0 (with a message, values unchanged) when the file cannot
    // be opened.
    int init(const char* path);

    // Writes neck and head as dir + "naoneckhead.rsg", as NaoLeg::write_file
    // does, with the tail "data-rsg/naoneck_end_model.rsg"; "NaoNeck
    // write_file FAILED" when the file cannot be written.
    void write_file(const char* dir = NAO_RSG_INSTALL_DIR);
    void write_begin(FILE* f);
    void write_end(FILE* f);
};

#endif
