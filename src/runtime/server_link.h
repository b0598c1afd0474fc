// Process-wide state of the match agent and its link to the soccer server:
// command line, TCP connection and the message framing (a 4-byte
// big-endian body length, then the S-expression text).
#ifndef BREVANE_RUNTIME_SERVER_LINK_H
#define BREVANE_RUNTIME_SERVER_LINK_H

#include <string>

#include "simclient/socket.h"

extern int gPort;              // 3100; no option changes it
extern std::string gHost;      // --host=
extern int player_number;      // --num=
extern int team_size;          // --teamsize=
extern std::string team_name;  // --team=
extern volatile bool gLoop;    // cleared by SIGINT
extern rcss::net::TCPSocket gSocket;

// How the link stands after the last receive or send.
enum LinkStatus {
    LINK_OK = 0,
    LINK_CLOSED,  // the server closed the connection (or a send failed)
    LINK_ERROR    // a receive failed: the program exits with status 1
};
extern LinkStatus gLinkStatus;

// The receive buffer: length bytes, body, terminating NUL.
const int kMessageBufferSize = 32768;
const int kMaxMessageLength = kMessageBufferSize - 5;  // 32763

void handler(int sig);
void ReadOptions(int argc, char* argv[]);
void PrintHelp();
bool Init();
void Done();
bool SelectInput();
// Sends one framed message; an empty one sends nothing. False when the
// link is lost (gLinkStatus is then LINK_CLOSED).
bool PutMessage(const std::string& msg);
// Receives one framed message. False at end of stream or on a receive
// error (see gLinkStatus).
bool GetMessage(std::string& msg);
void Run();

// The start order of an agent program: the RoboViz debug socket, the SIGINT
// handler, the command line (read_options), the server link, the cycle
// loop (run), then the tear-down. The exit status: 1 when the debug
// endpoint cannot be resolved, the server link cannot be made or a receive
// failed, 2 without a debug socket, else 0.
int agent_main(int argc, char* argv[], void (*read_options)(int, char*[]), void (*run)());

#endif
