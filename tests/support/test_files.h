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

// Writes dir/walk_inputs/ with the reference walk parameter files: of each
// shipped file only the lines of its robot type's four body dimensions, none
// of the walk and kick tuning. The code under test then runs with its
// built-in walk and kick values on each robot type's own body, whatever the
// shipped files are tuned to (the tests of the shipped data read those).
inline void write_reference_walk_inputs(const std::filesystem::path& dir)
{
    namespace fs = std::filesystem;
    fs::create_directories(dir / "walk_inputs");
    const char* const body_keys[] = {"ThighRelHip2_Z", "Hip1RelTorso_X", "AnkleRelShank_Z",
                                     "ElbowRelUpperArm_Y"};
    for (int type = 0; type < 4; type++) {
        const std::string name = "walk_inputs/NAO-DE2014-" + std::to_string(type) + ".txt";
        std::ifstream in(fs::path(BREVANE_SOURCE_DIR) / name);
        std::ofstream out(dir / name);
        std::string line;
        while (std::getline(in, line))
            for (const char* key : body_keys)
                if (line.compare(0, std::string(key).size(), key) == 0) out << line << "\n";
    }
}

// A private working directory for code that writes files relative to the
// working directory (the agent rewrites "dataWalk/stand3.dat" at start-up):
// it sees the source tree's body and strategy directories through links,
// has the reference walk parameter files (or, with shipped_walk_inputs, the
// source tree's own through a link) and its own "dataWalk". Removed with
// everything in it.
class ScratchWorkDir {
public:
    explicit ScratchWorkDir(bool shipped_walk_inputs = false)
    {
        namespace fs = std::filesystem;
        std::string templ = (fs::temp_directory_path() / "brevane-work-XXXXXX").string();
        if (mkdtemp(&templ[0]) == nullptr) return;
        m_dir = templ;
        for (const char* d : {"rsg_inputs", "strategies"})
            fs::create_directory_symlink(fs::path(BREVANE_SOURCE_DIR) / d, m_dir / d);
        if (shipped_walk_inputs)
            fs::create_directory_symlink(fs::path(BREVANE_SOURCE_DIR) / "walk_inputs", m_dir / "walk_inputs");
        else
            write_reference_walk_inputs(m_dir);
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
