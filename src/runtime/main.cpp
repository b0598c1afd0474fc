// brevane: one match agent, one simulated Nao.
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "runtime/server_link.h"
#include "rvdraw/robovizdraw.h"

int main(int argc, char* argv[]) {
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
        roboviz_sockfd = socket(roboviz_p->ai_family, roboviz_p->ai_socktype,
                                roboviz_p->ai_protocol);
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
    ReadOptions(argc, argv);

    if (!Init()) return 1;
    Run();

    Done();
    freeaddrinfo(servinfo);
    close(roboviz_sockfd);
    return gLinkStatus == LINK_ERROR ? 1 : 0;
}
