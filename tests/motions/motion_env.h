#ifndef BREVANE_TESTS_MOTIONS_MOTION_ENV_H
#define BREVANE_TESTS_MOTIONS_MOTION_ENV_H

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

// Runs a test in a scratch working directory: the motion object's walking
// engine reads walk_inputs/ and rsg_inputs/ and writes dataWalk/stand3.dat
// relative to it, and tests run in parallel. The parameter directories are
// linked from the source tree; a test may replace the walk parameter file of
// type 0 with its own text.
class MotionScratchDir {
 public:
  explicit MotionScratchDir(const std::string& extra_walk_lines = "") {
    char tmpl[] = "/tmp/brevane_motions_XXXXXX";
    if (mkdtemp(tmpl) == nullptr) std::abort();
    dir_ = tmpl;
    if (getcwd(old_, sizeof(old_)) == nullptr) std::abort();
    const std::string src = BREVANE_SOURCE_DIR;
    run("ln -s '" + src + "/rsg_inputs' '" + dir_ + "/rsg_inputs'");
    run("mkdir '" + dir_ + "/dataWalk'");
    if (extra_walk_lines.empty()) {
      run("ln -s '" + src + "/walk_inputs' '" + dir_ + "/walk_inputs'");
    } else {
      run("cp -r '" + src + "/walk_inputs' '" + dir_ + "/walk_inputs'");
      std::ofstream(dir_ + "/walk_inputs/NAO-DE2014-0.txt", std::ios::app) << "\n" << extra_walk_lines << "\n";
    }
    if (chdir(dir_.c_str()) != 0) std::abort();
  }
  ~MotionScratchDir() {
    if (chdir(old_) != 0) std::abort();
    run("rm -rf '" + dir_ + "'");
  }
  MotionScratchDir(const MotionScratchDir&) = delete;
  MotionScratchDir& operator=(const MotionScratchDir&) = delete;

  const std::string& path() const { return dir_; }

 private:
  static void run(const std::string& cmd) {
    if (std::system(cmd.c_str()) != 0) std::abort();
  }
  std::string dir_;
  char old_[4096];
};

#endif
