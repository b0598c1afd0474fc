#ifndef BREVANE_TESTS_KINEMATICS_KIN_TEST_UTIL_H
#define BREVANE_TESTS_KINEMATICS_KIN_TEST_UTIL_H

// Small helpers shared by the kinematics tests.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "kinematics/cmat.h"
#include "kinematics/vect.h"

namespace kintest {

inline Matrix_<double> rot_x(double a)
{
    const double v[9] = {1, 0, 0, 0, cos(a), -sin(a), 0, sin(a), cos(a)};
    return Matrix_<double>(v);
}

inline Matrix_<double> rot_y(double a)
{
    const double v[9] = {cos(a), 0, sin(a), 0, 1, 0, -sin(a), 0, cos(a)};
    return Matrix_<double>(v);
}

inline Matrix_<double> rot_z(double a)
{
    const double v[9] = {cos(a), -sin(a), 0, sin(a), cos(a), 0, 0, 0, 1};
    return Matrix_<double>(v);
}

inline double max_abs_diff(const Matrix_<double>& A, const Matrix_<double>& B)
{
    double m = 0;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) m = std::max(m, std::fabs(A[i][j] - B[i][j]));
    return m;
}

inline double max_abs_diff(const Vector_<double>& a, const Vector_<double>& b)
{
    double m = 0;
    for (int i = 0; i < 3; i++) m = std::max(m, std::fabs(a[i] - b[i]));
    return m;
}

// A fresh directory under the test temporary directory, removed with the
// object.
class TempDir {
public:
    TempDir()
    {
        std::string tmpl = ::testing::TempDir() + "brevane_kin_XXXXXX";
        char* p = mkdtemp(&tmpl[0]);
        if (p == nullptr) ADD_FAILURE() << "mkdtemp failed";
        path = tmpl + "/";
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    void write(const std::string& rel, const std::string& text) const
    {
        std::filesystem::create_directories(std::filesystem::path(path + rel).parent_path());
        std::ofstream(path + rel) << text;
    }
    std::string path;  // ends with '/'
};

// Runs the test body inside a directory and comes back afterwards (readers
// that take their files relative to the working directory).
class ScopedChdir {
public:
    explicit ScopedChdir(const std::string& dir)
    {
        char buf[4096];
        if (getcwd(buf, sizeof(buf)) != nullptr) old = buf;
        if (chdir(dir.c_str()) != 0) ADD_FAILURE() << "chdir " << dir;
    }
    ~ScopedChdir()
    {
        if (!old.empty() && chdir(old.c_str()) != 0) ADD_FAILURE() << "chdir back";
    }

private:
    std::string old;
};

}  // namespace kintest

#endif
