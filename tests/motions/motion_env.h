#ifndef BREVANE_TESTS_MOTIONS_MOTION_ENV_H
#define BREVANE_TESTS_MOTIONS_MOTION_ENV_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "support/test_files.h"

// Runs a test in a scratch working directory: the motion object's walking
// engine reads walk_inputs/ (the reference files, see ScratchWorkDir) and
// rsg_inputs/ and writes dataWalk/stand3.dat relative to it, and tests run
// in parallel. A test may add lines of its own to the walk parameter file of
// a robot type (type 0 unless it says).
class MotionScratchDir {
public:
    explicit MotionScratchDir(const std::string& extra_walk_lines = "", int type = 0)
    {
        if (!dir_.ok()) std::abort();
        if (!extra_walk_lines.empty()) {
            const std::string name = "NAO-DE2014-" + std::to_string(type) + ".txt";
            std::ofstream(dir_.path() / "walk_inputs" / name, std::ios::app) << "\n"
                                                                             << extra_walk_lines << "\n";
        }
        in_dir_.reset(new InWorkDir(dir_.path()));
    }

    std::string path() const { return dir_.path().string(); }

private:
    ScratchWorkDir dir_;
    std::unique_ptr<InWorkDir> in_dir_;
};

#endif
