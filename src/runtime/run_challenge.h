// The run-challenge program (brevane-run): its command line and its cycle
// loops. It starts, connects, frames its messages and exits as the match
// agent does (server_link.h: gPort, gHost and player_number are shared);
// what differs is the larger command line below, its own agent object
// (run::NaoBehavior) with a tournament record, and an older loop that
// paces the sub-steps by the measured interval between messages.
#ifndef BREVANE_RUNTIME_RUN_CHALLENGE_H
#define BREVANE_RUNTIME_RUN_CHALLENGE_H

#include <string>

namespace run {

// Settings of the command line besides gPort, gHost and player_number.
extern std::string gTeam;      // --team=   (default "Qorvex-SIM")
extern int penalty_player;     // --pen=
extern int llc_player_number;  // --llc=
extern int side_number;        // --side=   (stored, not used)
extern int ite_number;         // --ite=    trial number of the tournament record
extern int calibrate_id;       // --calibrate=ID X Y Z (stored, not used)
extern double calibrate_val[3];

// Every argument from index 0 on is tested against the options by its
// whole name (the text before the first "=", or all of it): --help;
// --host=IP, --port=N, --team=NAME, which need a value; --num=N, --pen=N,
// --llc=N, --side=N, --ite=N, which need at least the "=" (no digits give
// 0); --calibrate=ID followed by three numbers, which stay arguments of
// their own (and, matching no option, are ignored). --help, an option
// without what it needs, and a port outside 1..65535 print the usage text
// and end the program with status 0. Anything else is ignored.
void ReadOptions(int argc, char* argv[]);

// The loop that Run runs: the agent, its tournament record started for the
// trial ite_number, then the sleeping cycle loop.
void Run_accel_2013();
// The timer-driven loop with this program's agent (no tournament record);
// not selected.
void Run_accel_2_2013();
// The interval-measuring loop (no tournament record); not selected.
void Run_accel_2012();
void Run();

// Tests: the settings back to their defaults (gPort, gHost and
// player_number included).
void reset_options();

}  // namespace run

#endif
