#include "kinematics/naobase_param.h"

#include <cstdio>
#include <string>

#include "kinematics/naoparam.h"

float NaoBase::Torso_X = 0;
float NaoBase::Torso_Y = 0;
float NaoBase::Torso_Z = 0;
float NaoBase::TorsoLength = 0;
float NaoBase::TorsoWidth = 0;
float NaoBase::TorsoHeight = 0;
float NaoBase::TorsoMass = 0;

int NaoBase::init(const char* path)
{
    FILE* f = fopen(path, "r");
    if (f == nullptr) {
        fprintf(stderr, "NaoBase::init fopen %s FAILED\n", path);
        return 0;
    }
    static const char* const keys[] = {"Torso_X",    "Torso_Y",     "Torso_Z",  "TorsoLength",
                                       "TorsoWidth", "TorsoHeight", "TorsoMass"};
    float* const fields[] = {&Torso_X,    &Torso_Y,     &Torso_Z,  &TorsoLength,
                             &TorsoWidth, &TorsoHeight, &TorsoMass};
    read_body_param_lines(f, keys, fields, 7);
    fclose(f);
    return 1;
}

void NaoBase::reset()
{
    Torso_X = Torso_Y = Torso_Z = 0;
    TorsoLength = TorsoWidth = TorsoHeight = TorsoMass = 0;
}

void NaoBase::write_base_file(const char* dir)
{
    std::string name(dir);
    if (!name.empty() && name.back() != '/') name += '/';
    name += "nao_hetero.rsg";
    FILE* f = open_rsg_output(dir, "nao_hetero.rsg");
    if (f == nullptr) {
        fprintf(stderr, "NaoBase::write fopen %s FAILED\n", name.c_str());
        return;
    }
    static const char* const head[] = {
        "; -*- mode: lisp; -*-\n\n",
        ";\n",
        "; nao robot description file.\n",
        ";\n\n",
        "(RSG 0 1)\n",
        "(\n\n",
        "(templ $type)\n",
        "    \n",
        ";\n",
        "; The torso parameters\n",
        ";\n\n",
    };
    write_rsg_text(f, head);
    // The body file's Torso_X/Y/Z are the scene's initial torso position.
    const rsg_line_t torso[] = {
        {"(def $TorsoLength  %f)\n", &TorsoLength},
        {"(def $TorsoWidth   %f)\n", &TorsoWidth},
        {"(def $TorsoHeight  %f)\n", &TorsoHeight},
        {"(def $TorsoMass    %f)\n\n", &TorsoMass},
        {"(def $TorsoInitX  %f)\n", &Torso_X},
        {"(def $TorsoInitY  %f)\n", &Torso_Y},
        {"(def $TorsoInitZ  %f)\n\n", &Torso_Z},
        {"(def $loadObj (eval Nao.UseTexture))\n", nullptr},
        {"\n", nullptr},
    };
    write_rsg_lines(f, torso);
    const char* const tail = "data-rsg/naobase_end_model.rsg";
    if (!append_rsg_tail(f, tail)) fprintf(stderr, "NaoBase::write (end_filename) fopen %s FAILED\n", tail);
    fclose(f);
}
