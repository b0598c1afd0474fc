#ifndef BREVANE_TESTS_QORVEXLIB_TEMP_DIR_H
#define BREVANE_TESTS_QORVEXLIB_TEMP_DIR_H

#include <boost/filesystem.hpp>

#include <fstream>
#include <string>

// A fresh directory per test, removed afterwards, so that tests run in
// parallel never share a file.
class TempDir {
public:
    TempDir()
    {
        path_ = boost::filesystem::temp_directory_path() /
                boost::filesystem::unique_path("brevane-strat-%%%%-%%%%-%%%%");
        boost::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        boost::system::error_code ec;
        boost::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string dir() const { return path_.string(); }

    std::string write(const std::string& name, const std::string& text) const
    {
        const std::string f = file(name);
        std::ofstream(f) << text;
        return f;
    }

private:
    boost::filesystem::path path_;
};

#endif
