#include "support/agent_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

const char* const kAgentUsage =
    "\nusage: brevane [options]\n"
    "\noptions:\n"
    " --help      prints this message.\n"
    " --host=IP   IP of the server.\n"
    "\n";

void expect_usage_exit(const std::string& program, const std::vector<std::string>& args)
{
    ChildProcess p;
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    ASSERT_TRUE(p.start(argv));
    ASSERT_TRUE(p.wait(5000));
    ASSERT_TRUE(p.exited());
    EXPECT_EQ(p.exit_status(), 0);
    EXPECT_EQ(p.stdout_text(), kAgentUsage);
}

void start_agent(ChildProcess& agent, ScriptedServer& server, const std::string& program,
                 const std::filesystem::path& dir, const std::vector<std::string>& options,
                 std::string* first)
{
    std::vector<std::string> argv = {program, "--host=" + server.host()};
    argv.insert(argv.end(), options.begin(), options.end());
    // The program writes its stand-pose file relative to its working directory.
    const std::filesystem::path back = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    const bool started = agent.start(argv);
    std::filesystem::current_path(back);
    ASSERT_TRUE(started);
    ASSERT_TRUE(server.accept(5000)) << server.error() << agent.stderr_text();
    std::string s;
    ASSERT_TRUE(server.receive(s, 5000)) << server.error();
    if (first) *first = s;
}
