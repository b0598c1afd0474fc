#include "kinematics/naoleg_param.h"

#include <cmath>
#include <cstdio>

#include "kinematics/naobase_param.h"
#include "kinematics/naoparam.h"
#include "kinematics/rsg_writer.h"

int NaoLeg::init(const char* path)
{
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
    float* const fields[36] = {rel[0],       rel[1],     rel[2],      rel[3],      rel[4],      rel[5],
                               rel[6],       rel[7],     rel[8],      rel[9],      rel[10],     rel[11],
                               rel[12],      rel[13],    rel[14],     rel[15],     rel[16],     rel[17],
                               &Hip1Radius,  &Hip1Mass,  &Hip2Radius, &Hip2Mass,   &ThighSizeX, &ThighSizeY,
                               &ThighSizeZ,  &ThighMass, &ShankSizeX, &ShankSizeY, &ShankSizeZ, &ShankMass,
                               &AnkleRadius, &AnkleMass, &FootSizeX,  &FootSizeY,  &FootSizeZ,  &FootMass};
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

// ---- Robot-description file ----

void NaoLeg::write_file(const char* dir)
{
    write_limb_rsg_file(*this, dir, "naoleg.rsg", "NaoLeg wirte_file FAILED\n");
}

void NaoLeg::write_begin(FILE* f) { write_limb_rsg_begin(f); }

void NaoLeg::write_names(FILE* f)
{
    static const char* const lines[] = {
        "    ;\n",
        "    ;The Names\n",
        "    ;\n",
        "    (def $Hip1Name  (join $LeftOrRight hip1))\n",
        "    (def $Hip2Name  (join $LeftOrRight hip2))\n",
        "    (def $ThighName (join $LeftOrRight thigh))\n",
        "    (def $ShankName (join $LeftOrRight shank))\n",
        "    (def $AnkleName (join $LeftOrRight ankle))\n",
        "    (def $FootName  (join $LeftOrRight foot))\n",
        "    \n",
        "    (def $Hip1BodyPath    (join ../../ $Hip1Name  /sphereBody))\n",
        "    (def $Hip2BodyPath    (join ../../ $Hip2Name  /sphereBody))\n",
        "    (def $ThighBodyPath   (join ../../ $ThighName /boxBody))\n",
        "    (def $ShankBodyPath   (join ../../ $ShankName /boxBody))\n",
        "    (def $AnkleBodyPath   (join ../../ $AnkleName /sphereBody))\n",
        "    (def $FootBodyPath    (join ../../ $FootName  /boxBody))\n",
        "    \n",
        "    (def $Joint1PerName   (join $LeftOrRight lj1))\n",
        "    (def $Joint2PerName   (join $LeftOrRight lj2))\n",
        "    (def $Joint3PerName   (join $LeftOrRight lj3))\n",
        "    (def $Joint4PerName   (join $LeftOrRight lj4))\n",
        "    (def $Joint5PerName   (join $LeftOrRight lj5))\n",
        "    (def $Joint6PerName   (join $LeftOrRight lj6))\n",
        "    \n",
        "    (def $Joint1EffName   (join $LeftOrRight le1))\n",
        "    (def $Joint2EffName   (join $LeftOrRight le2))\n",
        "    (def $Joint3EffName   (join $LeftOrRight le3))\n",
        "    (def $Joint4EffName   (join $LeftOrRight le4))\n",
        "    (def $Joint5EffName   (join $LeftOrRight le5))\n",
        "    (def $Joint6EffName   (join $LeftOrRight le6))\n",
        "    \n",
        "    (def $FRPName (join $LeftOrRight f))\n",
        "    \n",
    };
    write_rsg_text(f, lines);
}

// The lateral offset is written unsigned: $LRFactor gives the side.
void NaoLeg_position::write_position_param(FILE* f)
{
    const float abs_Hip1RelTorso_X = std::fabs(Hip1RelTorso_X);
    const rsg_line_t lines[] = {
        {"    ;\n", nullptr},
        {"    ;Position Parameters\n", nullptr},
        {"    ;\n", nullptr},
        {"    (def $Hip1RelTorso_X (eval $LRFactor * %f))\n", &abs_Hip1RelTorso_X},
        {"    (def $Hip1RelTorso_Y %f)\n", &Hip1RelTorso_Y},
        {"    (def $Hip1RelTorso_Z %f)\n", &Hip1RelTorso_Z},
        {"    \n", nullptr},
        {"    (def $Hip2RelHip1_X %f)\n", &Hip2RelHip1_X},
        {"    (def $Hip2RelHip1_Y %f)\n", &Hip2RelHip1_Y},
        {"    (def $Hip2RelHip1_Z %f)\n", &Hip2RelHip1_Z},
        {"    \n", nullptr},
        {"    (def $ThighRelHip2_X %f)\n", &ThighRelHip2_X},
        {"    (def $ThighRelHip2_Y %f)\n", &ThighRelHip2_Y},
        {"    (def $ThighRelHip2_Z %f)\n", &ThighRelHip2_Z},
        {"    \n", nullptr},
        {"    (def $ShankRelThigh_X %f)\n", &ShankRelThigh_X},
        {"    (def $ShankRelThigh_Y %f)\n", &ShankRelThigh_Y},
        {"    (def $ShankRelThigh_Z %f)\n", &ShankRelThigh_Z},
        {"    \n", nullptr},
        {"    (def $AnkleRelShank_X %f)\n", &AnkleRelShank_X},
        {"    (def $AnkleRelShank_Y %f)\n", &AnkleRelShank_Y},
        {"    (def $AnkleRelShank_Z %f)\n", &AnkleRelShank_Z},
        {"    \n", nullptr},
        {"    (def $FootRelAnkle_X %f)\n", &FootRelAnkle_X},
        {"    (def $FootRelAnkle_Y %f)\n", &FootRelAnkle_Y},
        {"    (def $FootRelAnkle_Z %f)\n", &FootRelAnkle_Z},
        {"    \n", nullptr},
        {"    (def $Hip1_X (eval $Torso_X + $Hip1RelTorso_X))\n", nullptr},
        {"    (def $Hip1_Y (eval $Torso_Y + $Hip1RelTorso_Y))\n", nullptr},
        {"    (def $Hip1_Z (eval $Torso_Z + $Hip1RelTorso_Z))\n", nullptr},
        {"    \n", nullptr},
        {"    (def $Hip2_X (eval $Hip1_X + $Hip2RelHip1_X))\n", nullptr},
        {"    (def $Hip2_Y (eval $Hip1_Y + $Hip2RelHip1_Y))\n", nullptr},
        {"    (def $Hip2_Z (eval $Hip1_Z + $Hip2RelHip1_Z))\n", nullptr},
        {"    \n", nullptr},
        {"    (def $Thigh_X (eval $Hip2_X + $ThighRelHip2_X))\n", nullptr},
        {"    (def $Thigh_Y (eval $Hip2_Y + $ThighRelHip2_Y))\n", nullptr},
        {"    (def $Thigh_Z (eval $Hip2_Z + $ThighRelHip2_Z))\n", nullptr},
        {"    \n", nullptr},
        {"    (def $Shank_X (eval $Thigh_X + $ShankRelThigh_X))\n", nullptr},
        {"    (def $Shank_Y (eval $Thigh_Y + $ShankRelThigh_Y))\n", nullptr},
        {"    (def $Shank_Z (eval $Thigh_Z + $ShankRelThigh_Z))\n", nullptr},
        {"    \n", nullptr},
        {"    (def $Ankle_X (eval $Shank_X + $AnkleRelShank_X))\n", nullptr},
        {"    (def $Ankle_Y (eval $Shank_Y + $AnkleRelShank_Y))\n", nullptr},
        {"    (def $Ankle_Z (eval $Shank_Z + $AnkleRelShank_Z))\n", nullptr},
        {"    \n", nullptr},
        {"    (def $Foot_X (eval $Ankle_X + $FootRelAnkle_X))\n", nullptr},
        {"    (def $Foot_Y (eval $Ankle_Y + $FootRelAnkle_Y))\n", nullptr},
        {"    (def $Foot_Z (eval $Ankle_Z + $FootRelAnkle_Z))\n", nullptr},
        {"    \n", nullptr},
    };
    write_rsg_lines(f, lines);
}

void NaoLeg_size_mass::write_size_mass(FILE* f)
{
    const rsg_line_t lines[] = {
        {"    ;\n", nullptr},
        {"    ;Size and Mass Parameters\n", nullptr},
        {"    ;\n", nullptr},
        {"    (def $Hip1Radius %f)\n", &Hip1Radius},
        {"    (def $Hip1Mass   %f)\n", &Hip1Mass},
        {"    \n", nullptr},
        {"    (def $Hip2Radius %f)\n", &Hip2Radius},
        {"    (def $Hip2Mass   %f)\n", &Hip2Mass},
        {"    \n", nullptr},
        {"    (def $ThighSizeX %f)\n", &ThighSizeX},
        {"    (def $ThighSizeY %f)\n", &ThighSizeY},
        {"    (def $ThighSizeZ %f)\n", &ThighSizeZ},
        {"    (def $ThighMass  %f)\n", &ThighMass},
        {"    \n", nullptr},
        {"    (def $ShankSizeX %f)\n", &ShankSizeX},
        {"    (def $ShankSizeY %f)\n", &ShankSizeY},
        {"    (def $ShankSizeZ %f)\n", &ShankSizeZ},
        {"    (def $ShankMass  %f)\n", &ShankMass},
        {"    \n", nullptr},
        {"    (def $AnkleRadius %f)\n", &AnkleRadius},
        {"    (def $AnkleMass   %f)\n", &AnkleMass},
        {"    \n", nullptr},
        {"    (def $FootSizeX   %f)\n", &FootSizeX},
        {"    (def $FootSizeY   %f)\n", &FootSizeY},
        {"    (def $FootSizeZ   %f)\n", &FootSizeZ},
        {"    (def $FootMass    %f)\n", &FootMass},
        {"    \n", nullptr},
        {"    \n", nullptr},
    };
    write_rsg_lines(f, lines);
}

void NaoLeg::write_joint(FILE* f)
{
    write_limb_rsg_joint_head(f);
    static const char* const lines[] = {
        "    (def $lj1_min    -90)\n",
        "    (def $lj1_max    1)\n",
        "    (def $lj1_max_abs_speed $MaxAbsJointSpeed)\n",
        "    \n",
        "    (def $right_lj2_min -45)\n",
        "    (def $left_lj2_min  -25)\n",
        "    (def $lj2_min_c1    (eval (eval $right_lj2_min + $left_lj2_min) * 0.5))\n",
        "    (def $lj2_min_c2    (eval (eval $right_lj2_min - $left_lj2_min) * 0.5))\n",
        "    (def $lj2_min       (eval $lj2_min_c1 + (eval $LRFactor * $lj2_min_c2)))\n",
        "    \n",
        "    (def $right_lj2_max 25)\n",
        "    (def $left_lj2_max  45)\n",
        "    (def $lj2_max_c1    (eval (eval $right_lj2_max + $left_lj2_max) * 0.5))\n",
        "    (def $lj2_max_c2    (eval (eval $right_lj2_max - $left_lj2_max) * 0.5))\n",
        "    (def $lj2_max       (eval $lj2_max_c1 + (eval $LRFactor * $lj2_max_c2)))\n",
        "    (def $lj2_max_abs_speed $MaxAbsJointSpeed)\n",
        "    \n",
        "    (def $lj3_min    -25)\n",
        "    (def $lj3_max    100)\n",
        "    (def $lj3_max_abs_speed $MaxAbsJointSpeed)\n",
        "    \n",
        "    (def $lj4_min       -130)\n",
        "    (def $lj4_max       1)\n",
        "    (def $lj4_max_abs_speed $MaxAbsJointSpeed)\n",
        "    \n",
        "    (def $lj5_min       -45)\n",
        "    (def $lj5_max       75)\n",
        "    (def $lj5_max_abs_speed (eval \"NaoType[\"$type\"]['lj5_max_abs_speed']\"))\n",
        "    \n",
        "    (def $right_lj6_min -25)\n",
        "    (def $left_lj6_min  -45)\n",
        "    (def $lj6_min_c1    (eval (eval $right_lj6_min + $left_lj6_min) * 0.5))\n",
        "    (def $lj6_min_c2    (eval (eval $right_lj6_min - $left_lj6_min) * 0.5))\n",
        "    (def $lj6_min       (eval $lj6_min_c1 + (eval $LRFactor * $lj6_min_c2)))\n",
        "    \n",
        "    (def $right_lj6_max  45)\n",
        "    (def $left_lj6_max   25)\n",
        "    (def $lj6_max_c1    (eval (eval $right_lj6_max + $left_lj6_max) * 0.5))\n",
        "    (def $lj6_max_c2    (eval (eval $right_lj6_max - $left_lj6_max) * 0.5))\n",
        "    (def $lj6_max       (eval $lj6_max_c1 + (eval $LRFactor * $lj6_max_c2)))\n",
        "    (def $lj6_max_abs_speed (eval \"NaoType[\"$type\"]['lj6_max_abs_speed']\"))\n",
        "    \n",
        "    (def $lj1_axis_x   -0.7071)\n",
        "    (def $lj1_axis_y   0)\n",
        "    (def $lj1_axis_z   (eval $LRFactor * 0.7071))\n",
        "    \n",
        "    (def $lj3_Anchor_X  (eval -1 * $ThighRelHip2_X))\n",
        "    (def $lj3_Anchor_Y  (eval -1 * $ThighRelHip2_Y))\n",
        "    (def $lj3_Anchor_Z  (eval -1 * $ThighRelHip2_Z))\n",
        "    \n",
    };
    write_rsg_text(f, lines);
}

void NaoLeg::write_end(FILE* f) { copy_rsg_tail(f, "data-rsg/naoleg_end_model.rsg", "NaoLeg"); }
