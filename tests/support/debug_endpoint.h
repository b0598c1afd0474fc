// Points the debug drawer's socket globals at a listener of the test for
// the test's lifetime (in the program main sets them), so that the
// datagrams the code under test sends can be read back. Header-only: a test
// that includes it links the drawing layer.
#ifndef BREVANE_TESTS_SUPPORT_DEBUG_ENDPOINT_H
#define BREVANE_TESTS_SUPPORT_DEBUG_ENDPOINT_H

#include <sys/socket.h>
#include <unistd.h>

#include "rvdraw/robovizdraw.h"
#include "support/udp_listener.h"

class ScopedDebugEndpoint {
public:
    ScopedDebugEndpoint()
    {
        if (!listener.bind_loopback()) return;
        m_sender = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (m_sender < 0) return;
        roboviz_sockfd = m_sender;
        roboviz_p = listener.entry();
    }
    ~ScopedDebugEndpoint()
    {
        roboviz_sockfd = -1;
        roboviz_p = nullptr;
        if (m_sender >= 0) ::close(m_sender);
    }
    ScopedDebugEndpoint(const ScopedDebugEndpoint&) = delete;
    ScopedDebugEndpoint& operator=(const ScopedDebugEndpoint&) = delete;

    bool ok() const { return roboviz_p != nullptr; }

    UdpListener listener;

private:
    int m_sender = -1;
};

#endif
