#ifndef BREVANE_TESTS_WALK_FIXTURES_H
#define BREVANE_TESTS_WALK_FIXTURES_H

// Helpers shared by the walking-engine tests: a private working directory
// with copies of the parameter files, the Nao's leg joint limits, and a
// tracker that follows the torso over the floor from the commanded leg
// angles alone (the planted sole does not slip).

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "kinematics/cmat.h"
#include "kinematics/nao_geometric_model.h"
#include "kinematics/vect.h"
#include "support/test_files.h"

namespace walk_test {

const double kPi = 3.14159265358979323846;
const double kDeg = 180.0 / kPi;

inline std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void write_file(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Copies every regular file of dir src into dir dst.
inline void copy_dir_files(const std::string& src, const std::string& dst)
{
    mkdir(dst.c_str(), 0755);
    DIR* d = opendir(src.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        write_file(dst + "/" + name, read_file(src + "/" + name));
    }
    closedir(d);
}

// A temporary working directory for the duration of a test: the engine
// reads "./walk_inputs" (the reference walk parameter files, see
// write_reference_walk_inputs), "./rsg_inputs" and writes "./dataWalk"
// relative to it. Restores the previous working directory and removes the
// files.
class ScopedWorkDir {
public:
    explicit ScopedWorkDir(bool with_data = true, bool with_dataWalk = true)
    {
        char tmpl[] = "/tmp/brevane_walk_testXXXXXX";
        dir_ = mkdtemp(tmpl);
        char buf[4096];
        old_ = getcwd(buf, sizeof buf);
        if (with_data) {
            copy_dir_files(old_ + "/rsg_inputs", dir_ + "/rsg_inputs");
            write_reference_walk_inputs(dir_);
        }
        if (with_dataWalk) mkdir((dir_ + "/dataWalk").c_str(), 0755);
        if (chdir(dir_.c_str()) != 0) abort();
    }
    ~ScopedWorkDir()
    {
        if (chdir(old_.c_str()) != 0) abort();
        std::string cmd = "rm -rf '" + dir_ + "'";
        if (system(cmd.c_str()) != 0) {
        }
    }
    const std::string& path() const { return dir_; }

    // Appends lines to the walk parameter file of robot type 0 (later lines win).
    void append_walk_params(const std::string& lines)
    {
        std::string p = dir_ + "/walk_inputs/NAO-DE2014-0.txt";
        write_file(p, read_file(p) + lines);
    }

private:
    std::string dir_;
    std::string old_;
};

// Runs every test of a walk test program in a ScopedWorkDir of its own:
// the engines that the tests build in the working directory read the
// reference walk parameter files, so that their numbers are those of the
// built-in tuning whatever the shipped files are tuned to. A test may still
// open a ScopedWorkDir of its own inside it.
class ReferenceWorkDirEnvironment : public ::testing::Environment {
public:
    void SetUp() override { dir_.reset(new ScopedWorkDir()); }
    void TearDown() override { dir_.reset(); }

private:
    std::unique_ptr<ScopedWorkDir> dir_;
};

inline ::testing::Environment* const reference_work_dir =
    ::testing::AddGlobalTestEnvironment(new ReferenceWorkDirEnvironment);

// Leg joint limits of the simulated Nao in degrees, in the simulator's sense
// (the model's hip pitch, knee and ankle pitch have the opposite sense), in
// the order hip yaw-pitch, hip roll, hip pitch, knee, ankle pitch, ankle roll.
struct JointRange {
    double lo, hi;
};
const JointRange kLeftLegLimits[6] = {{-90, 1}, {-25, 45}, {-25, 100}, {-130, 1}, {-45, 75}, {-45, 25}};
const JointRange kRightLegLimits[6] = {{-90, 1}, {-45, 25}, {-25, 100}, {-130, 1}, {-45, 75}, {-25, 45}};
const bool kInvertedInSimulator[6] = {false, false, true, true, true, false};

inline double simulator_degrees(const double* q, int j)
{
    return (kInvertedInSimulator[j] ? -q[j] : q[j]) * kDeg;
}

// Pose (R, p) of a frame.
struct Pose {
    Matrix_<double> R;
    Vector_<double> p{0, 0, 0};
    Pose() = default;
    Pose(const Matrix_<double>& R_, const Vector_<double>& p_) : R(R_), p(p_) {}
    Pose operator*(const Pose& b) const { return Pose(R * b.R, R * b.p + p); }
    Pose inverse() const
    {
        Matrix_<double> Rt = transpose(R);
        return Pose(Rt, -(Rt * p));
    }
};

inline double yaw_of(const Matrix_<double>& R) { return std::atan2(R[1][0], R[0][0]); }

// Follows the torso over the floor: each cycle the sole standing lowest (in
// the torso frame) is taken as planted, and the torso pose follows from its
// world pose and its pose in the torso frame (direct model of the commanded
// angles). Both soles start at their world poses of the first call. While
// both soles are down, their world poses must agree with the stored ones:
// max_slip records the largest disagreement.
class FloorTracker {
public:
    explicit FloorTracker(const Model& m) : model_(m) {}

    void update(const double* qL, const double* qR)
    {
        Pose L = sole(qL, -1), R = sole(qR, +1);
        bool left_down = L.p[2] <= R.p[2] + 1e-9;
        bool right_down = R.p[2] <= L.p[2] + 1e-9;
        if (!started_) {
            left_w_ = L;
            right_w_ = R;
            torso_w_ = Pose();
            started_ = true;
        } else {
            // The planted sole stood in the last cycle and stands now.
            bool left_planted = left_down && left_was_down_;
            bool right_planted = right_down && right_was_down_;
            if (left_planted || (!right_planted && left_down)) {
                torso_w_ = left_w_ * L.inverse();
                Pose r = torso_w_ * R;
                if (right_planted) max_slip = std::fmax(max_slip, (r.p - right_w_.p).norm());
                right_w_ = r;
            } else {
                torso_w_ = right_w_ * R.inverse();
                left_w_ = torso_w_ * L;
            }
        }
        left_was_down_ = left_down;
        right_was_down_ = right_down;
    }

    const Pose& torso() const { return torso_w_; }
    const Pose& left() const { return left_w_; }
    const Pose& right() const { return right_w_; }
    double max_slip = 0.0;

private:
    Pose sole(const double* q, int side) const
    {
        Pose P;
        model_.nao_direct_geometric_model_leg(q, P.p, P.R, side);
        return P;
    }
    const Model& model_;
    bool started_ = false;
    bool left_was_down_ = true, right_was_down_ = true;
    Pose torso_w_, left_w_, right_w_;
};

}  // namespace walk_test

#endif
