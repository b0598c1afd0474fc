// An agent program run by an end-to-end test: its usage exit and its start
// against the scripted server.
#ifndef BREVANE_TESTS_SUPPORT_AGENT_PROCESS_H
#define BREVANE_TESTS_SUPPORT_AGENT_PROCESS_H

#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/scripted_server.h"

// The usage text of every agent program.
extern const char* const kAgentUsage;

// Runs the program with the arguments: it prints the usage text on the
// standard output and exits with status 0 (checked with gtest).
void expect_usage_exit(const std::string& program, const std::vector<std::string>& args);

// Starts the program in the working directory dir with "--host=" the
// server's address and the options, accepts its connection and receives
// its first message (the scene message) into first (checked with gtest:
// call it through ASSERT_NO_FATAL_FAILURE).
void start_agent(ChildProcess& agent, ScriptedServer& server, const std::string& program,
                 const std::filesystem::path& dir, const std::vector<std::string>& options,
                 std::string* first);

#endif
