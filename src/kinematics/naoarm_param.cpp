#include "kinematics/naoarm_param.h"

#include <cmath>
#include <cstdio>

#include "kinematics/naobase_param.h"
#include "kinematics/naoparam.h"
#include "kinematics/rsg_writer.h"

int NaoArm::init(const char* path)
{
    FILE* f = fopen(path, "r");
    if (f == nullptr) {
        fprintf(stderr, "NaoArm::init fopen %s FAILED\n", path);
        return 0;
    }
    static const char* const keys[] = {
        "ShoulderRelTorso_X",   "ShoulderRelTorso_Y",   "ShoulderRelTorso_Z", "UpperarmRelShoulderX",
        "UpperarmRelShoulderY", "UpperarmRelShoulderZ", "ElbowRelUpperArm_X", "ElbowRelUpperArm_Y",
        "ElbowRelUpperArm_Z",   "LowerarmRelElbow_X",   "LowerarmRelElbow_Y", "LowerarmRelElbow_Z",
        "ShoulderRadius",       "ShoulderMass",         "UpperArmSizeX",      "UpperArmSizeY",
        "UpperArmSizeZ",        "UpperArmMass",         "ElbowRadius",        "ElbowMass",
        "LowerArmSizeX",        "LowerArmSizeY",        "LowerArmSizeZ",      "LowerArmMass"};
    float* const rel[12] = {&ShoulderRelTorso_X,   &ShoulderRelTorso_Y,   &ShoulderRelTorso_Z,
                            &UpperarmRelShoulderX, &UpperarmRelShoulderY, &UpperarmRelShoulderZ,
                            &ElbowRelUpperArm_X,   &ElbowRelUpperArm_Y,   &ElbowRelUpperArm_Z,
                            &LowerarmRelElbow_X,   &LowerarmRelElbow_Y,   &LowerarmRelElbow_Z};
    float* const fields[24] = {rel[0],         rel[1],         rel[2],          rel[3],        rel[4],
                               rel[5],         rel[6],         rel[7],          rel[8],        rel[9],
                               rel[10],        rel[11],        &ShoulderRadius, &ShoulderMass, &UpperArmSizeX,
                               &UpperArmSizeY, &UpperArmSizeZ, &UpperArmMass,   &ElbowRadius,  &ElbowMass,
                               &LowerArmSizeX, &LowerArmSizeY, &LowerArmSizeZ,  &LowerArmMass};
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

// ---- Robot-description file ----

void NaoArm::write_file(const char* dir)
{
    write_limb_rsg_file(*this, dir, "naoarm.rsg", "NaoArm write_file FAILED\n");
}

void NaoArm::write_begin(FILE* f) { write_limb_rsg_begin(f); }

void NaoArm::write_names(FILE* f)
{
    static const char* const lines[] = {
        "    ;\n",
        "    ;The Names\n",
        "    ;\n",
        "    (def $ShoulderName (join $LeftOrRight shoulder))\n",
        "    (def $UpperarmName (join $LeftOrRight upperarm))\n",
        "    (def $ElbowName    (join $LeftOrRight elbow))\n",
        "    (def $LowerarmName (join $LeftOrRight lowerarm))\n",
        "    \n",
        "    (def $ShoulderBodyPath (join ../../ $ShoulderName /sphereBody))\n",
        "    (def $UpperarmBodyPath (join ../../ $UpperarmName /boxBody))\n",
        "    (def $ElbowBodyPath    (join ../../ $ElbowName    /sphereBody))\n",
        "    (def $LowerarmBodyPath (join ../../ $LowerarmName /boxBody))\n",
        "    \n",
        "    (def $Joint1PerName (join $LeftOrRight aj1))\n",
        "    (def $Joint2PerName (join $LeftOrRight aj2))\n",
        "    (def $Joint3PerName (join $LeftOrRight aj3))\n",
        "    (def $Joint4PerName (join $LeftOrRight aj4))\n",
        "    \n",
        "    (def $Joint1EffName (join $LeftOrRight ae1))\n",
        "    (def $Joint2EffName (join $LeftOrRight ae2))\n",
        "    (def $Joint3EffName (join $LeftOrRight ae3))\n",
        "    (def $Joint4EffName (join $LeftOrRight ae4))\n",
        "    \n",
    };
    write_rsg_text(f, lines);
}

// The lateral offsets are written unsigned ($LRFactor gives the side); the
// elbow's always points inwards, whatever the file's sign.
void NaoArm_position::write_position_param(FILE* f)
{
    const float abs_ShoulderRelTorso_X = std::fabs(ShoulderRelTorso_X);
    const float abs_UpperarmRelShoulderX = std::fabs(UpperarmRelShoulderX);
    const float neg_abs_ElbowRelUpperArm_X = -std::fabs(ElbowRelUpperArm_X);
    const rsg_line_t lines[] = {
        {"    ;\n", nullptr},
        {"    ;Position Parameters\n", nullptr},
        {"    ;\n", nullptr},
        {"    (def $ShoulderRelTorso_X (eval $LRFactor * %.3f))\n", &abs_ShoulderRelTorso_X},
        {"    (def $ShoulderRelTorso_Y %.3f)\n", &ShoulderRelTorso_Y},
        {"    (def $ShoulderRelTorso_Z %.3f)\n", &ShoulderRelTorso_Z},
        {"    \n", nullptr},
        {"    (def $UpperarmRelShoulderX (eval $LRFactor * %f))\n", &abs_UpperarmRelShoulderX},
        {"    (def $UpperarmRelShoulderY %.3f)\n", &UpperarmRelShoulderY},
        {"    (def $UpperarmRelShoulderZ %.3f)\n", &UpperarmRelShoulderZ},
        {"    \n", nullptr},
        {"    (def $ElbowRelUpperArm_X (eval $LRFactor * %.3f))\n", &neg_abs_ElbowRelUpperArm_X},
        {"    (def $ElbowRelUpperArm_Y %.3f)\n", &ElbowRelUpperArm_Y},
        {"    (def $ElbowRelUpperArm_Z %.3f)\n", &ElbowRelUpperArm_Z},
        {"    \n", nullptr},
        {"    (def $LowerarmRelElbow_X %.3f)\n", &LowerarmRelElbow_X},
        {"    (def $LowerarmRelElbow_Y %.3f)\n", &LowerarmRelElbow_Y},
        {"    (def $LowerarmRelElbow_Z %.3f)\n", &LowerarmRelElbow_Z},
        {"    \n", nullptr},
        {"    (def $Shoulder_X (eval $Torso_X + $ShoulderRelTorso_X))\n", nullptr},
        {"    (def $Shoulder_Y (eval $Torso_Y + $ShoulderRelTorso_Y))\n", nullptr},
        {"    (def $Shoulder_Z (eval $Torso_Z + $ShoulderRelTorso_Z))\n", nullptr},
        {"    \n", nullptr},
        {"    (def $Upperarm_X (eval $Shoulder_X + $UpperarmRelShoulderX))\n", nullptr},
        {"    (def $Upperarm_Y (eval $Shoulder_Y + $UpperarmRelShoulderY))\n", nullptr},
        {"    (def $Upperarm_Z (eval $Shoulder_Z + $UpperarmRelShoulderZ))\n", nullptr},
        {"    \n", nullptr},
        {"    (def $Elbow_X    (eval $Upperarm_X + $ElbowRelUpperArm_X))\n", nullptr},
        {"    (def $Elbow_Y    (eval $Upperarm_Y + $ElbowRelUpperArm_Y))\n", nullptr},
        {"    (def $Elbow_Z    (eval $Upperarm_Z + $ElbowRelUpperArm_Z))\n", nullptr},
        {"    \n", nullptr},
        {"    (def $LowerArm_X (eval $Elbow_X + $LowerarmRelElbow_X))\n", nullptr},
        {"    (def $LowerArm_Y (eval $Elbow_Y + $LowerarmRelElbow_Y))\n", nullptr},
        {"    (def $LowerArm_Z (eval $Elbow_Z + $LowerarmRelElbow_Z))\n", nullptr},
        {"    \n", nullptr},
    };
    write_rsg_lines(f, lines);
}

void NaoArm_size_mass::write_size_mass(FILE* f)
{
    const rsg_line_t lines[] = {
        {"    ;\n", nullptr},
        {"    ;Size and Mass Parameters\n", nullptr},
        {"    ;\n", nullptr},
        {"    (def $ShoulderRadius %f)\n", &ShoulderRadius},
        {"    (def $ShoulderMass %f)\n", &ShoulderMass},
        {"    ;\n", nullptr},
        {"    (def $UpperArmSizeX %f)\n", &UpperArmSizeX},
        {"    (def $UpperArmSizeY %f)\n", &UpperArmSizeY},
        {"    (def $UpperArmSizeZ %f)\n", &UpperArmSizeZ},
        {"    (def $UpperArmMass %f)\n", &UpperArmMass},
        {"    ;\n", nullptr},
        {"    (def $ElbowRadius %f)\n", &ElbowRadius},
        {"    (def $ElbowMass %f)\n", &ElbowMass},
        {"    ;\n", nullptr},
        {"    (def $LowerArmSizeX %f)\n", &LowerArmSizeX},
        {"    (def $LowerArmSizeY %f)\n", &LowerArmSizeY},
        {"    (def $LowerArmSizeZ %f)\n", &LowerArmSizeZ},
        {"    (def $LowerArmMass %f)\n", &LowerArmMass},
        {"    \n", nullptr},
        {"    \n", nullptr},
    };
    write_rsg_lines(f, lines);
}

void NaoArm::write_joint(FILE* f)
{
    write_limb_rsg_joint_head(f);
    static const char* const lines[] = {
        "    (def $aj1_min -120)\n",
        "    (def $aj1_max 120)\n",
        "    (def $aj1_max_abs_speed $MaxAbsJointSpeed)\n",
        "    \n",
        "    (def $right_aj2_min     -95)\n",
        "    (def $left_aj2_min      -1)\n",
        "    (def $aj2_min_c1        (eval (eval $right_aj2_min + $left_aj2_min) * 0.5))\n",
        "    (def $aj2_min_c2        (eval (eval $right_aj2_min - $left_aj2_min) * 0.5))\n",
        "    (def $aj2_min           (eval $aj2_min_c1 + (eval $LRFactor * $aj2_min_c2)))\n",
        "    \n",
        "    (def $right_aj2_max     1)\n",
        "    (def $left_aj2_max      95)\n",
        "    (def $aj2_max_c1        (eval (eval $right_aj2_max + $left_aj2_max) * 0.5))\n",
        "    (def $aj2_max_c2        (eval (eval $right_aj2_max - $left_aj2_max) * 0.5))\n",
        "    (def $aj2_max           (eval $aj2_max_c1 + (eval $LRFactor * $aj2_max_c2)))\n",
        "    (def $aj2_max_abs_speed $MaxAbsJointSpeed)\n",
        "    \n",
        "    (def $aj3_min           -120)\n",
        "    (def $aj3_max           120)\n",
        "    (def $aj3_max_abs_speed $MaxAbsJointSpeed)\n",
        "    \n",
        "    (def $right_aj4_min     -1)\n",
        "    (def $left_aj4_min      -90)\n",
        "    (def $aj4_min_c1        (eval (eval $right_aj4_min + $left_aj4_min) * 0.5))\n",
        "    (def $aj4_min_c2        (eval (eval $right_aj4_min - $left_aj4_min) * 0.5))\n",
        "    (def $aj4_min           (eval $aj4_min_c1 + (eval $LRFactor * $aj4_min_c2)))\n",
        "\n",
        "    (def $right_aj4_max     90)\n",
        "    (def $left_aj4_max      1)\n",
        "    (def $aj4_max_c1        (eval (eval $right_aj4_max + $left_aj4_max) * 0.5))\n",
        "    (def $aj4_max_c2        (eval (eval $right_aj4_max - $left_aj4_max) * 0.5))\n",
        "    (def $aj4_max           (eval $aj4_max_c1 + (eval $LRFactor * $aj4_max_c2)))\n",
        "    (def $aj4_max_abs_speed $MaxAbsJointSpeed)\n",
        "    \n",
        "    \n",
        "    (def $aj2_Anchor_X      (eval -1 * $UpperarmRelShoulderX))\n",
        "    (def $aj2_Anchor_Y      (eval -1 * $UpperarmRelShoulderY))\n",
        "    (def $aj2_Anchor_Z      (eval -1 * $UpperarmRelShoulderZ))\n",
        "    \n",
        "    (def $aj4_Anchor_X      (eval -1 * $LowerarmRelElbow_X))\n",
        "    (def $aj4_Anchor_Y      (eval -1 * $LowerarmRelElbow_Y))\n",
        "    (def $aj4_Anchor_Z      (eval -1 * $LowerarmRelElbow_Z))\n",
        "    \n",
    };
    write_rsg_text(f, lines);
}

void NaoArm::write_end(FILE* f) { copy_rsg_tail(f, "data-rsg/naoarm_end_model.rsg", "NaoArm"); }
