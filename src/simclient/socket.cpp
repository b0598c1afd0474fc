#include "simclient/socket.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rcss {
namespace net {

Addr::Addr(PortType port, HostType host) : m_valid(true)
{
    std::memset(&m_addr, 0, sizeof(m_addr));
    m_addr.sin_family = AF_INET;
    m_addr.sin_port = htons(port);
    m_addr.sin_addr.s_addr = htonl(static_cast<uint32_t>(host));
}

Addr::Addr(PortType port, const std::string& host) : m_valid(false)
{
    std::memset(&m_addr, 0, sizeof(m_addr));
    m_addr.sin_family = AF_INET;
    m_addr.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &m_addr.sin_addr) == 1) {
        m_valid = true;
        return;
    }
    addrinfo hints;
    std::memset(&hints, 0, sizeof(hints));
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    int rc = getaddrinfo(host.c_str(), nullptr, &hints, &res);
    if (rc != 0 || res == nullptr) {
        m_error = "host not found: " + host;
        if (rc != 0) m_error += std::string(" (") + gai_strerror(rc) + ")";
        if (res) freeaddrinfo(res);
        return;
    }
    m_addr.sin_addr = reinterpret_cast<const sockaddr_in*>(res->ai_addr)->sin_addr;
    m_valid = true;
    freeaddrinfo(res);
}

Addr::PortType Addr::getPort() const { return ntohs(m_addr.sin_port); }

std::string Addr::getHostStr() const
{
    char buf[INET_ADDRSTRLEN] = {0};
    inet_ntop(AF_INET, &m_addr.sin_addr, buf, sizeof(buf));
    return buf;
}

Socket::Socket() : m_type(0), m_fd(-1) {}

Socket::~Socket() { close(); }

bool Socket::open(int type)
{
    if (m_fd >= 0) return true;
    m_type = type;
    m_fd = ::socket(AF_INET, type, 0);
    if (m_fd >= 0 && type == SOCK_STREAM) {
        // Each cycle sends two small answers half a cycle apart; with Nagle's
        // algorithm the second would wait for the server's (delayed) ACK of
        // the first and miss its sub-step.
        int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    }
    return m_fd >= 0;
}

void Socket::bind(const Addr& addr)
{
    if (!open(m_type)) throw BindErr(std::strerror(errno));
    if (!addr.valid()) throw BindErr(addr.error());
    const sockaddr_in& a = addr.getAddr();
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&a), sizeof(a)) != 0)
        throw BindErr(std::strerror(errno));
}

void Socket::connect(const Addr& addr)
{
    if (!open(m_type)) throw ConnectErr(std::strerror(errno));
    if (!addr.valid()) throw ConnectErr(addr.error());
    const sockaddr_in& a = addr.getAddr();
    int rc;
    do {
        rc = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&a), sizeof(a));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) throw ConnectErr(std::strerror(errno));
}

long Socket::send(const char* buf, std::size_t len, int flags, CheckingType check)
{
    long rc;
    do {
        rc = ::send(m_fd, buf, len, flags);
    } while (rc < 0 && errno == EINTR && check == CHECK);
    return rc;
}

long Socket::recv(char* buf, std::size_t len, int flags, CheckingType check)
{
    long rc;
    do {
        rc = ::recv(m_fd, buf, len, flags);
    } while (rc < 0 && errno == EINTR && check == CHECK);
    return rc;
}

void Socket::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

TCPSocket::TCPSocket() { open(SOCK_STREAM); }

}  // namespace net
}  // namespace rcss
