// A UDP socket that receives the debug drawer's datagrams in a test, and readers
// of their fields.
#ifndef BREVANE_TESTS_SUPPORT_UDP_LISTENER_H
#define BREVANE_TESTS_SUPPORT_UDP_LISTENER_H

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

struct Datagram {
    std::string bytes;
    int source_port;
};

class UdpListener {
public:
    UdpListener() = default;
    ~UdpListener()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    UdpListener(const UdpListener&) = delete;
    UdpListener& operator=(const UdpListener&) = delete;

    // Binds to addr; false with errno kept on failure.
    bool bind(const sockaddr* addr, socklen_t len)
    {
        // Not inherited by the programs a test starts.
        m_fd = ::socket(addr->sa_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0) return false;
        if (::bind(m_fd, addr, len) != 0) {
            int e = errno;
            ::close(m_fd);
            m_fd = -1;
            errno = e;
            return false;
        }
        m_len = sizeof(m_addr);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&m_addr), &m_len);
        return true;
    }
    // Binds to 127.0.0.1 on a port the system picks.
    bool bind_loopback()
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return bind(reinterpret_cast<const sockaddr*>(&a), sizeof(a));
    }

    // An address entry for the drawer's destination: this socket.
    addrinfo* entry()
    {
        m_entry = addrinfo{};
        m_entry.ai_family = m_addr.ss_family;
        m_entry.ai_socktype = SOCK_DGRAM;
        m_entry.ai_addr = reinterpret_cast<sockaddr*>(&m_addr);
        m_entry.ai_addrlen = m_len;
        return &m_entry;
    }

    // One datagram within timeout_ms; false when none came.
    bool receive(Datagram& d, int timeout_ms)
    {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeout_ms) != 1) return false;
        return take(d);
    }
    // Every datagram already queued.
    std::vector<Datagram> drain()
    {
        std::vector<Datagram> all;
        Datagram d;
        while (receive(d, 0)) all.push_back(d);
        return all;
    }

private:
    bool take(Datagram& d)
    {
        char buf[2048];
        sockaddr_storage from{};
        socklen_t flen = sizeof(from);
        long n = ::recvfrom(m_fd, buf, sizeof(buf), 0, reinterpret_cast<sockaddr*>(&from), &flen);
        if (n < 0) return false;
        d.bytes.assign(buf, static_cast<size_t>(n));
        d.source_port = from.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&from)->sin6_port)
                                                   : ntohs(reinterpret_cast<sockaddr_in*>(&from)->sin_port);
        return true;
    }

    int m_fd = -1;
    sockaddr_storage m_addr{};
    socklen_t m_len = 0;
    addrinfo m_entry{};
};

// The datagram's count numbers, read from the 6-character fields after the
// two command bytes.
inline std::vector<double> datagram_numbers(const std::string& d, int count)
{
    std::vector<double> v;
    for (int i = 0; i < count; ++i) {
        std::string field = d.substr(2 + 6 * i, 6);
        v.push_back(std::strtod(field.c_str(), nullptr));
    }
    return v;
}

// The three colour bytes after count numbers.
inline std::vector<int> datagram_color(const std::string& d, int count)
{
    std::vector<int> c;
    for (int i = 0; i < 3; ++i) c.push_back(static_cast<unsigned char>(d[2 + 6 * count + i]));
    return c;
}

#endif
