// The real agent program sends the buffer swap of its set "test" to the
// RoboViz endpoint of the local machine once per think call.
//
// The endpoint is fixed (port 32769 of the local machine) and every agent
// on the machine sends there, other tests' agents included: only the
// datagrams whose source port is the agent's own debug socket are counted,
// and the tests of this directory hold a lock so that no two of them
// listen on the port at once.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/scripted_server.h"
#include "support/test_files.h"
#include "support/udp_listener.h"

namespace {

const char* const kAgent = BREVANE_BINARY_DIR "/brevane";

// Socket inodes of the process's open descriptors.
std::set<unsigned long> socket_inodes(pid_t pid)
{
    std::set<unsigned long> inodes;
    const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return inodes;
    while (dirent* e = ::readdir(d)) {
        char target[128];
        long n = ::readlink((dir + "/" + e->d_name).c_str(), target, sizeof(target) - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        unsigned long inode;
        if (std::sscanf(target, "socket:[%lu]", &inode) == 1) inodes.insert(inode);
    }
    ::closedir(d);
    return inodes;
}

struct UdpSocket {
    int family;
    int port;
};

// The bound UDP sockets of the process (an unbound socket gets its port
// with its first datagram).
std::vector<UdpSocket> udp_sockets(pid_t pid)
{
    const std::set<unsigned long> inodes = socket_inodes(pid);
    std::vector<UdpSocket> found;
    const struct {
        const char* table;
        int family;
    } tables[] = {{"/proc/net/udp", AF_INET}, {"/proc/net/udp6", AF_INET6}};
    for (const auto& t : tables) {
        std::ifstream in(t.table);
        std::string line;
        std::getline(in, line);  // header
        while (std::getline(in, line)) {
            std::istringstream f(line);
            std::string slot, local, remote, state, queues, timer, retr, uid, timeout;
            unsigned long inode = 0;
            f >> slot >> local >> remote >> state >> queues >> timer >> retr >> uid >> timeout >> inode;
            if (!inodes.count(inode)) continue;
            const int port =
                static_cast<int>(std::strtol(local.substr(local.find(':') + 1).c_str(), nullptr, 16));
            if (port != 0) found.push_back({t.family, port});
        }
    }
    return found;
}

// The endpoint as the agent resolves it: the first entry of the local
// machine's addresses for service 32769 that gives a datagram socket.
bool debug_endpoint(sockaddr_storage& addr, socklen_t& len)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(nullptr, "32769", &hints, &list) != 0) return false;
    bool ok = false;
    for (addrinfo* p = list; p && !ok; p = p->ai_next) {
        int fd = ::socket(p->ai_family, p->ai_socktype, p->ai_protocol);
        if (fd < 0) continue;
        ::close(fd);
        std::memcpy(&addr, p->ai_addr, p->ai_addrlen);
        len = p->ai_addrlen;
        ok = true;
    }
    ::freeaddrinfo(list);
    return ok;
}

TEST(AgentDrawing, OneSwapOfTheSetTestPerThinkCall)
{
    sockaddr_storage addr{};
    socklen_t len = 0;
    ASSERT_TRUE(debug_endpoint(addr, len));
    UdpListener listener;
    // Another program of the machine (a monitor, another worktree's tests)
    // may hold the port for a moment.
    bool bound = false;
    int bind_errno = 0;
    for (int tries = 0; tries < 100 && !bound; ++tries) {
        bound = listener.bind(reinterpret_cast<sockaddr*>(&addr), len);
        bind_errno = errno;
        if (!bound && bind_errno != EADDRINUSE) break;
        if (!bound) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!bound)
        GTEST_SKIP() << "cannot listen on the debug endpoint (port 32769): " << std::strerror(bind_errno);

    ScratchWorkDir scratch;
    ASSERT_TRUE(scratch.ok());
    ScriptedServer server;
    ASSERT_TRUE(server.listen()) << server.error();
    ChildProcess agent;
    {
        InWorkDir in_scratch(scratch.path());
        ASSERT_TRUE(agent.start({kAgent, "--host=" + server.host(), "--num=3"}));
    }
    ASSERT_TRUE(server.accept(5000)) << server.error() << agent.stderr_text();
    std::string scene, init;
    ASSERT_TRUE(server.receive(scene, 5000));

    const std::vector<std::string> lines = read_data_lines("server_before_kickoff.txt");
    ASSERT_EQ(lines.size(), 6u);
    // First message: the init answer, then the second sub-step thinks and
    // draws, which gives the debug socket its port.
    ASSERT_TRUE(server.send(lines[0]));
    ASSERT_TRUE(server.receive(init, 5000));
    EXPECT_EQ(init, "(init (unum 3)(teamname Qorvex-SIM))");
    std::vector<UdpSocket> own;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((own = udp_sockets(agent.pid())).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(own.size(), 1u) << "the agent's debug socket has no port";
    EXPECT_EQ(own[0].family, addr.ss_family) << "the agent sends to another address family";

    for (size_t i = 1; i < lines.size(); ++i) ASSERT_TRUE(server.send(lines[i]));
    server.finish_sending();
    server.receive_n(1000, 5000);
    ASSERT_TRUE(agent.wait(5000));
    ASSERT_TRUE(agent.exited());
    EXPECT_EQ(agent.exit_status(), 0) << agent.stderr_text();

    // Two think calls per message, the first of them answering with the
    // init message only.
    const size_t think_calls = 2 * lines.size() - 1;
    size_t swaps = 0;
    for (const Datagram& d : listener.drain()) {
        if (d.source_port != own[0].port) continue;
        EXPECT_EQ(d.bytes, std::string("\0\0test\0", 7));
        ++swaps;
    }
    EXPECT_EQ(swaps, think_calls);
}

}  // namespace
