#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/run_challenge.h"
#include "runtime/server_link.h"

namespace run {

std::string gTeam = "Qorvex-SIM";
int penalty_player = 0;
int llc_player_number = 0;
int side_number = 0;
int ite_number = 0;
int calibrate_id = 0;
double calibrate_val[3] = {0, 0, 0};

void reset_options()
{
    gPort = 3100;
    gHost = "127.0.0.1";
    player_number = 2;
    gTeam = "Qorvex-SIM";
    penalty_player = llc_player_number = side_number = ite_number = calibrate_id = 0;
    calibrate_val[0] = calibrate_val[1] = calibrate_val[2] = 0;
}

namespace {

[[noreturn]] void usage_exit()
{
    PrintHelp();
    std::exit(0);
}

enum option_kind {
    TEXT,       // a value is needed: "--name=" alone is too short
    NUMBER,     // "--name" alone is too short, "--name=" gives 0
    PORT,       // as TEXT, and the number must be a TCP port
    CALIBRATE,  // as TEXT, and three more arguments must follow
};

struct option_t {
    const char* name;
    option_kind kind;
    std::string* text;
    int* number;
};

const option_t kOptions[] = {
    {"--host", TEXT, &gHost, nullptr},
    {"--port", PORT, nullptr, &gPort},
    {"--team", TEXT, &gTeam, nullptr},
    {"--num", NUMBER, nullptr, &player_number},
    {"--pen", NUMBER, nullptr, &penalty_player},
    {"--llc", NUMBER, nullptr, &llc_player_number},
    {"--side", NUMBER, nullptr, &side_number},
    {"--ite", NUMBER, nullptr, &ite_number},
    {"--calibrate", CALIBRATE, nullptr, &calibrate_id},
};

int number_of(const char* text) { return static_cast<int>(std::strtol(text, nullptr, 10)); }

}  // namespace

void ReadOptions(int argc, char* argv[])
{
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") usage_exit();
        const std::string name = arg.substr(0, arg.find('='));
        for (const option_t& o : kOptions) {
            if (name != o.name) continue;
            const size_t n = name.size();
            // The value starts after the "=".
            const char* value = arg.c_str() + (arg.size() > n ? n + 1 : n);
            if (o.kind == NUMBER ? arg.size() == n : arg.size() <= n + 1) usage_exit();
            switch (o.kind) {
                case TEXT:
                    *o.text = value;
                    break;
                case NUMBER:
                    *o.number = number_of(value);
                    break;
                case PORT: {
                    const long port = std::strtol(value, nullptr, 10);
                    if (port < 1 || port > 65535) usage_exit();
                    *o.number = static_cast<int>(port);
                    break;
                }
                case CALIBRATE:
                    if (argc - i - 1 < 3) usage_exit();
                    *o.number = number_of(value);
                    for (int k = 0; k < 3; ++k) calibrate_val[k] = std::strtof(argv[i + 1 + k], nullptr);
                    break;
            }
            break;
        }
    }
}

}  // namespace run
