// Files of the tests: the recorded data under tests/data/ and private
// working directories. Header-only, so that BREVANE_SOURCE_DIR comes from
// the test that includes it.
#ifndef BREVANE_TESTS_SUPPORT_TEST_FILES_H
#define BREVANE_TESTS_SUPPORT_TEST_FILES_H

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

// The non-empty lines of tests/data/<name>, in order.
inline std::vector<std::string> read_data_lines(const std::string& name)
{
    std::ifstream in(std::string(BREVANE_SOURCE_DIR "/tests/data/") + name);
    std::vector<std::string> lines;
    std::string l;
    while (std::getline(in, l))
        if (!l.empty()) lines.push_back(l);
    return lines;
}

// The whole text of a file ("" when it cannot be read).
inline std::string read_text_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text;
    std::getline(in, text, '\0');
    return text;
}

// A private working directory for code that writes files relative to the
// working directory (the agent rewrites "dataWalk/stand3.dat" at start-up):
// it sees the source tree's parameter and strategy directories through
// links and has its own "dataWalk". Removed with everything in it.
class ScratchWorkDir {
public:
    ScratchWorkDir()
    {
        namespace fs = std::filesystem;
        std::string templ = (fs::temp_directory_path() / "brevane-work-XXXXXX").string();
        if (mkdtemp(&templ[0]) == nullptr) return;
        m_dir = templ;
        for (const char* d : {"walk_inputs", "rsg_inputs", "strategies"})
            fs::create_directory_symlink(fs::path(BREVANE_SOURCE_DIR) / d, m_dir / d);
        fs::create_directory(m_dir / "dataWalk");
    }
    ~ScratchWorkDir()
    {
        std::error_code ec;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ec);
    }
    ScratchWorkDir(const ScratchWorkDir&) = delete;
    ScratchWorkDir& operator=(const ScratchWorkDir&) = delete;

    bool ok() const { return !m_dir.empty(); }
    const std::filesystem::path& path() const { return m_dir; }

private:
    std::filesystem::path m_dir;
};

// Makes `dir` the working directory for its lifetime.
class InWorkDir {
public:
    explicit InWorkDir(const std::filesystem::path& dir) : m_old(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~InWorkDir()
    {
        std::error_code ec;
        std::filesystem::current_path(m_old, ec);
    }
    InWorkDir(const InWorkDir&) = delete;
    InWorkDir& operator=(const InWorkDir&) = delete;

private:
    std::filesystem::path m_old;
};

#endif
