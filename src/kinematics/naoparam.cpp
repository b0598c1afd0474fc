#include "kinematics/naoparam.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Lines longer than this are read in pieces, as any line reader of the
// parameter files does.
const int kLineSize = 1024;

const char* const kWalkKeys[] = {"long_offset_MidAnkles_2_Torso_Init",
                                 "xlength_step_max",
                                 "ylength_step_max",
                                 "height_lift",
                                 "ratio_flexion",
                                 "dist_between_feet_p_points",
                                 "theta_step_max",
                                 "eta_torso_incline",
                                 "eta_torso_incline_lateral",
                                 "angTorsoBack",
                                 "angFootSoleBack",
                                 "angTorsoStrike",
                                 "angFootSoleStrike",
                                 "angTorsoFront",
                                 "angFootSoleFront",
                                 "xToeStrike",
                                 "zToeStrike",
                                 "timeStandUpFrontArmsOut",
                                 "timeStandUpFrontOverFeet",
                                 "ThighRelHip2_Z",
                                 "Hip1RelTorso_X",
                                 "AnkleRelShank_Z",
                                 "ElbowRelUpperArm_Y"};
const int kWalkKeyCount = sizeof(kWalkKeys) / sizeof(kWalkKeys[0]);

}  // namespace

void read_body_param_lines(FILE* f, const char* const* keys, float* const* fields, int n)
{
    char line[kLineSize];
    std::string format;
    while (fgets(line, sizeof(line), f) != nullptr) {
        for (int i = 0; i < n; i++) {
            float tmp = 0;
            // The blank matches any run of white space, none included; the
            // number must follow the key, so a longer key is never taken for
            // a shorter one that it begins with.
            format = std::string(keys[i]) + " %f";
            if (sscanf(line, format.c_str(), &tmp) == 1) {
                *fields[i] = tmp;
                break;
            }
        }
    }
}

int NaoWalkParam::set(int Ptype, int Stype, const char* key, double& value, const char* dir)
{
    if (Ptype < 0 || Ptype > 3 || Stype != 0) {
        fprintf(stderr, "NaoWalkParam::set Ptype and Stype not defined\n");
        exit(0);
    }
    std::string name = std::string(dir) + "walk_inputs/NAO-DE2014-" + static_cast<char>('0' + Ptype) + ".txt";
    FILE* f = fopen(name.c_str(), "r");
    if (f == nullptr) {
        fprintf(stderr, "NaoWalkParam::init fopen %s FAILED\n", name.c_str());
        return 0;
    }
    char line[kLineSize];
    std::string format;
    while (fgets(line, sizeof(line), f) != nullptr) {
        for (int i = 0; i < kWalkKeyCount; i++) {
            double tmp = 0;
            format = std::string(kWalkKeys[i]) + " %lg";
            if (sscanf(line, format.c_str(), &tmp) == 1) {
                if (strcmp(kWalkKeys[i], key) == 0) value = tmp;
                break;
            }
        }
    }
    fclose(f);
    return 1;
}

void NaoParam::init(const char* dir, int Ptype_, int Stype_, bool separator)
{
    Ptype = Ptype_;
    Stype = Stype_;

    const std::string d(dir);
    // Torso first: the limbs' absolute positions start from its position.
    base.init((d + "rsg_inputs/naobase_input.txt").c_str());
    left_leg.init((d + "rsg_inputs/naoleg_input_left.txt").c_str());
    right_leg.init((d + "rsg_inputs/naoleg_input_right.txt").c_str());
    left_arm.init((d + "rsg_inputs/naoarm_input_left.txt").c_str());
    right_arm.init((d + "rsg_inputs/naoarm_input_right.txt").c_str());
    neck.init((d + "rsg_inputs/naoneck_input.txt").c_str());
    if (separator) fprintf(stderr, "////////////////////////////\n");

    // The four dimensions that differ between robot types come from the
    // type's walk parameter file. Each lookup starts from NaN, so that a key
    // the file lacks (or a missing file) leaves the body files' values
    // instead of passing a stale number on to the next key.
    double v = NAN;
    NaoWalkParam::set(Ptype, 0, "ThighRelHip2_Z", v, "./");
    if (!std::isnan(v)) {
        left_leg.ThighRelHip2_Z = static_cast<float>(v);
        right_leg.ThighRelHip2_Z = static_cast<float>(v);
    }
    v = NAN;
    NaoWalkParam::set(Ptype, 0, "Hip1RelTorso_X", v, "./");
    if (!std::isnan(v)) {
        left_leg.Hip1RelTorso_X = static_cast<float>(v);
        right_leg.Hip1RelTorso_X = static_cast<float>(-v);
    }
    v = NAN;
    NaoWalkParam::set(Ptype, 0, "AnkleRelShank_Z", v, "./");
    if (!std::isnan(v)) {
        left_leg.AnkleRelShank_Z = static_cast<float>(v);
        right_leg.AnkleRelShank_Z = static_cast<float>(v);
    }
    v = NAN;
    NaoWalkParam::set(Ptype, 0, "ElbowRelUpperArm_Y", v, "./");
    if (!std::isnan(v)) {
        left_arm.ElbowRelUpperArm_Y = static_cast<float>(v);
        right_arm.ElbowRelUpperArm_Y = static_cast<float>(v);
    }
}

void NaoParam::write_rsg_files(const char* dir)
{
    NaoBase::write_base_file(dir);
    left_leg.write_file(dir);
    left_arm.write_file(dir);
    neck.write_file(dir);
}
