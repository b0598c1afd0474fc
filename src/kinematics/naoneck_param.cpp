#include "kinematics/naoneck_param.h"

#include <cstdio>

#include "kinematics/naoparam.h"
#include "kinematics/rsg_writer.h"

int NaoNeck::init(const char* path)
{
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

// ---- Robot-description file ----

void NaoNeck::write_file(const char* dir)
{
    FILE* f = open_rsg_output(dir, "naoneckhead.rsg");
    if (f == nullptr) {
        fprintf(stderr, "NaoNeck write_file FAILED\n");
        return;
    }
    write_begin(f);
    write_neck_param(f);
    write_head_param(f);
    write_end(f);
    fclose(f);
}

void NaoNeck::write_begin(FILE* f)
{
    static const char* const lines[] = {
        "; -*- mode: lisp; -*-\n\n",
        "(RSG 0 1)\n",
        "(\n",
        "    (templ  $Torso_X $Torso_Y $Torso_Z $loadObj\n",
        "            $type\n",
        "    )\n",
        "    \n",
    };
    write_rsg_text(f, lines);
}

void NaoNeck_size_mass::write_neck_param(FILE* f)
{
    const rsg_line_t lines[] = {
        {"    ;\n", nullptr},
        {"    ;neck parameter\n", nullptr},
        {"    ;\n", nullptr},
        {"    (def $Neck_X        $Torso_X)\n", nullptr},
        {"    (def $Neck_Y        $Torso_Y)\n", nullptr},
        {"    (def $Neck_Z        (eval $Torso_Z + 0.09))\n", nullptr},
        {"    (def $Neck_Radius   %f)\n", &Neck_Radius},
        {"    (def $Neck_Length   %f)\n", &Neck_Length},
        {"    (def $Neck_Mass     %f)\n", &Neck_Mass},
        {"    \n", nullptr},
        {"    \n", nullptr},
    };
    write_rsg_lines(f, lines);
}

void NaoNeck_size_mass::write_head_param(FILE* f)
{
    const rsg_line_t lines[] = {
        {"    ;\n", nullptr},
        {"    ;head parameter\n", nullptr},
        {"    ;\n", nullptr},
        {"    (def $Head_X        $Neck_X)\n", nullptr},
        {"    (def $Head_Y        $Neck_Y)\n", nullptr},
        {"    (def $Head_Z        (eval $Neck_Z + 0.065))\n", nullptr},
        {"    (def $Head_Radius   %f)\n", &Head_Radius},
        {"    (def $Head_Mass     %f)\n", &Head_Mass},
        {"    \n", nullptr},
    };
    write_rsg_lines(f, lines);
}

void NaoNeck::write_end(FILE* f) { copy_rsg_tail(f, "data-rsg/naoneck_end_model.rsg", "NaoNeck"); }
