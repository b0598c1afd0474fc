#include "runtime/server_link.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <unistd.h>
#include <sys/select.h>
#include <sys/socket.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "runtime/cycle_loop.h"
#include "rvdraw/robovizdraw.h"

int gPort = 3100;
std::string gHost = "127.0.0.1";
int player_number = 2;
int team_size = 0;
std::string team_name = "Qorvex-SIM";
volatile bool gLoop = true;
rcss::net::TCPSocket gSocket;
LinkStatus gLinkStatus = LINK_OK;

void handler(int sig)
{
    if (sig == SIGINT) gLoop = false;
}

void PrintHelp()
{
    std::cout << "\nusage: brevane [options]" << std::endl;
    std::cout << "\noptions:" << std::endl;
    std::cout << " --help      prints this message." << std::endl;
    std::cout << " --host=IP   IP of the server." << std::endl;
    std::cout << "\n";
    std::cout.flush();
}

void ReadOptions(int argc, char* argv[])
{
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            PrintHelp();
            std::exit(0);
        } else if (arg.compare(0, 6, "--host") == 0) {
            if (arg.size() <= 7) {
                PrintHelp();
                std::exit(0);
            }
            gHost = arg.substr(7);
        } else if (arg.compare(0, 10, "--teamsize") == 0) {
            // The value starts after "--teamsize=", index 11.
            team_size = arg.size() > 11 ? static_cast<int>(std::strtol(arg.c_str() + 11, nullptr, 10)) : 0;
        } else if (arg.compare(0, 6, "--team") == 0) {
            if (arg.size() <= 7) {
                PrintHelp();
                std::exit(0);
            }
            team_name = arg.substr(7);
        } else if (arg.compare(0, 5, "--num") == 0) {
            if (arg.size() == 5) {
                PrintHelp();
                std::exit(0);
            }
            player_number = static_cast<int>(std::strtol(arg.c_str() + 6, nullptr, 10));
        }
    }
}

bool Init()
{
    rcss::net::Addr local(0, 0);
    try {
        gSocket.bind(local);
    } catch (const rcss::net::BindErr& e) {
        std::cerr << "failed to bind socket with '" << e.what() << "'" << std::endl;
        gSocket.close();
        return false;
    }
    try {
        rcss::net::Addr server(static_cast<rcss::net::Addr::PortType>(gPort), gHost);
        gSocket.connect(server);
    } catch (const rcss::net::ConnectErr& e) {
        std::cerr << "connection failed with: '" << e.what() << "'" << std::endl;
        gSocket.close();
        return false;
    }
    gLinkStatus = LINK_OK;
    return true;
}

void Done() { gSocket.close(); }

bool SelectInput()
{
    const int fd = gSocket.getFD();
    timeval tv;
    tv.tv_sec = 60;
    tv.tv_usec = 0;
    for (;;) {
        fd_set readfds;
        FD_ZERO(&readfds);
        FD_SET(fd, &readfds);
        int rc = select(fd + 1, &readfds, nullptr, nullptr, &tv);
        if (rc == 1) return true;
        if (rc == -1 && errno == EINTR) continue;
        std::cerr << "(SelectInput) select failed " << std::strerror(errno) << std::endl;
        std::abort();
    }
}

bool PutMessage(const std::string& msg)
{
    if (msg.empty()) return true;
    const uint32_t len = htonl(static_cast<uint32_t>(msg.size()));
    std::string framed(reinterpret_cast<const char*>(&len), 4);
    framed += msg;
    std::size_t sent = 0;
    while (sent < framed.size()) {
        // MSG_NOSIGNAL: a closed peer must not kill the process by SIGPIPE.
        long rc = gSocket.send(framed.data() + sent, framed.size() - sent, MSG_NOSIGNAL);
        if (rc < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (rc <= 0) {
            std::cerr << "(PutMessage) send failed: " << std::strerror(errno) << std::endl;
            gLinkStatus = LINK_CLOSED;
            return false;
        }
        sent += static_cast<std::size_t>(rc);
    }
    return true;
}

namespace {

// One receive into buf; false when the link ended (status set).
bool receive_some(char* buf, int want, int& got)
{
    long rc = gSocket.recv(buf, static_cast<std::size_t>(want));
    if (rc > 0) {
        got += static_cast<int>(rc);
        return true;
    }
    if (rc == 0) {
        gLinkStatus = LINK_CLOSED;
        return false;
    }
    if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) return true;
    std::cerr << "(GetMessage) recv failed: " << std::strerror(errno) << std::endl;
    gLinkStatus = LINK_ERROR;
    return false;
}

}  // namespace

bool GetMessage(std::string& msg)
{
    static char buffer[kMessageBufferSize];

    int got = 0;
    while (got < 4) {
        SelectInput();
        if (!receive_some(buffer + got, 4 - got, got)) return false;
    }

    uint32_t netlen;
    std::memcpy(&netlen, buffer, 4);
    const int32_t length = static_cast<int32_t>(ntohl(netlen));
    if (length < 0 || length > kMaxMessageLength) {
        std::cerr << "message too long; aborting" << std::endl;
        std::abort();
    }

    char* body = buffer + 4;
    got = 0;
    while (got < length) {
        if (!SelectInput()) return false;
        if (!receive_some(body + got, length - got, got)) return false;
    }
    body[length] = '\0';
    msg.assign(body);  // up to the first NUL byte
    return true;
}

void Run() { Run_accel_2013(); }

int agent_main(int argc, char* argv[], void (*read_options)(int, char*[]), void (*run)())
{
    addrinfo hints;
    std::memset(&hints, 0, sizeof(hints));
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* servinfo = nullptr;
    int rv = getaddrinfo(nullptr, "32769", &hints, &servinfo);
    if (rv != 0) {
        std::fprintf(stderr, "getaddrinfo: %s\n", gai_strerror(rv));
        return 1;
    }
    for (roboviz_p = servinfo; roboviz_p != nullptr; roboviz_p = roboviz_p->ai_next) {
        roboviz_sockfd = socket(roboviz_p->ai_family, roboviz_p->ai_socktype, roboviz_p->ai_protocol);
        if (roboviz_sockfd == -1) {
            std::perror("socket");
            continue;
        }
        break;
    }
    if (roboviz_p == nullptr) {
        std::fprintf(stderr, "failed to bind roboviz_socket\n");
        return 2;
    }

    std::signal(SIGINT, handler);
    read_options(argc, argv);

    if (!Init()) return 1;
    run();

    Done();
    freeaddrinfo(servinfo);
    close(roboviz_sockfd);
    return gLinkStatus == LINK_ERROR ? 1 : 0;
}
