// brevane: one match agent, one simulated Nao.
#include "runtime/server_link.h"

int main(int argc, char* argv[]) { return agent_main(argc, argv, ReadOptions, Run); }
