// Runs a fuzz target without libFuzzer, for the regression tests of the
// normal build: every file named (or every file of a directory named) is
// one input, and with --lines=FILE every line of FILE is one input.
// Exits 0 when every input ran; a fault shows as a crash or a sanitizer
// report.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int run(const std::string& input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    return 1;
}

int run_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << path << "\n";
        return -1;
    }
    return run(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

int run_path(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        std::cerr << "no such input " << path << "\n";
        return -1;
    }
    if (!S_ISDIR(st.st_mode)) return run_file(path);
    DIR* d = opendir(path.c_str());
    if (d == nullptr) return -1;
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n[0] != '.') names.push_back(path + "/" + n);
    }
    closedir(d);
    int count = 0;
    for (const std::string& n : names) {
        int r = run_file(n);
        if (r < 0) return r;
        count += r;
    }
    return count;
}

int run_lines(const std::string& path)
{
    std::ifstream in(path);
    if (!in) {
        std::cerr << "cannot read " << path << "\n";
        return -1;
    }
    int count = 0;
    for (std::string line; std::getline(in, line);) count += run(line);
    return count;
}

}  // namespace

int main(int argc, char** argv)
{
    int total = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::string lines = "--lines=";
        int r = a.compare(0, lines.size(), lines) == 0 ? run_lines(a.substr(lines.size())) : run_path(a);
        if (r < 0) return 1;
        total += r;
    }
    std::fprintf(stderr, "%d inputs run\n", total);
    return 0;
}
