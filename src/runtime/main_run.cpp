// brevane-run: the run-challenge agent, one simulated Nao.
#include "runtime/run_challenge.h"
#include "runtime/server_link.h"

int main(int argc, char* argv[]) { return agent_main(argc, argv, run::ReadOptions, run::Run); }
