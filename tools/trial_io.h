// Small pieces shared by the driver programs of the real-server trials:
// their options, a trainer command on the monitor port, numbers read from
// a server message and a think call of the motion side alone.
#ifndef BREVANE_TOOLS_TRIAL_IO_H
#define BREVANE_TOOLS_TRIAL_IO_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "keyframe/naosimplemove.h"

namespace trial_io {

// An option "--name=value": true and the value when arg is that option.
inline bool value_of(const std::string& arg, const char* name, std::string& value)
{
    const std::string prefix = std::string(name) + "=";
    if (arg.compare(0, prefix.size(), prefix) != 0) return false;
    value = arg.substr(prefix.size());
    return true;
}

// One trainer command: its own connection, one framed message.
inline void trainer(int port, const std::string& cmd)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0) {
        const uint32_t n = htonl(static_cast<uint32_t>(cmd.size()));
        std::string frame(reinterpret_cast<const char*>(&n), 4);
        frame += cmd;
        if (write(fd, frame.data(), frame.size()) < 0) std::perror("trainer");
    }
    close(fd);
}

// The numbers after "(tag" in msg, when the tag is there.
inline bool read_after(const std::string& msg, const char* tag, double v[3])
{
    const size_t p = msg.find(tag);
    if (p == std::string::npos) return false;
    return std::sscanf(msg.c_str() + p + std::strlen(tag), "%lf %lf %lf", &v[0], &v[1], &v[2]) == 3;
}

// The number after "(tag" in msg, or last when the tag is not there.
inline double read_number(const std::string& msg, const char* tag, double last)
{
    const size_t p = msg.find(tag);
    return p == std::string::npos ? last : std::atof(msg.c_str() + p + std::strlen(tag));
}

// The options every trial reads, into the fields of the same names:
// --mport (monitor port), --place "x y", --wait and --after (seconds),
// --log (file). True when arg was one of them.
template <class Options>
bool read_common_option(const std::string& arg, Options& o)
{
    std::string v;
    if (value_of(arg, "--mport", v)) {
        o.mport = std::atoi(v.c_str());
    } else if (value_of(arg, "--place", v)) {
        std::sscanf(v.c_str(), "%lf %lf", &o.x, &o.y);
    } else if (value_of(arg, "--wait", v)) {
        o.wait = std::atof(v.c_str());
    } else if (value_of(arg, "--after", v)) {
        o.after = std::atof(v.c_str());
    } else if (value_of(arg, "--log", v)) {
        o.log = v;
    } else {
        return false;
    }
    return true;
}

// Puts robot unum of the left team at (x, y), facing +x, a little above
// the ground.
inline void place_robot(int port, int unum, double x, double y)
{
    char place[128];
    std::snprintf(place, sizeof(place), "(agent (unum %d)(team Left)(move %.3f %.3f 0.35 -90))", unum, x, y);
    trainer(port, place);
}

// The first cycles of a trial: at cycle 20 the kick-off, when the game
// waits for one (kicked_off then says so), at cycle 40 the robot placed at
// (x, y). True at the placement.
inline bool start_trial(int cycles, bool before_kick_off, int port, int unum, double x, double y,
                        bool& kicked_off)
{
    if (cycles == 20 && before_kick_off) {
        trainer(port, "(kickOff Left)");
        kicked_off = true;
    } else if (cycles == 40) {
        place_robot(port, unum, x, y);
        return true;
    }
    return false;
}

// The motion side of one think call, without the state machine and the
// head scan (so that nothing but the trial moves the robot): the first call
// is the agent's own (its init message), later ones parse the message and
// run the motion interface. While `stand` holds, the legs are first brought
// into the walk's rest pose (the stand pose), as after a walk; `stood`
// tells when they are there. Returns the commands to send.
template <class Agent>
std::string motion_think(Agent& agent, const std::string& msg, int& think_calls, bool stand, bool& stood)
{
    if (!agent.initialized) return agent.Think(msg);
    agent.parse->Parse(msg, think_calls++);
    std::stringstream out;
    if (!agent.move) return out.str();
    if (stand && !stood && !agent.move->stand_pose.interpolate(0, agent.sub_steps, out, false)) {
        naosimplemove_t::clearAllEffector(out);
        stood = true;
    }
    agent.move->update(out, agent.sub_steps);
    return out.str();
}

}  // namespace trial_io

#endif
