// TCP client socket and IPv4 addresses for the link to the soccer server.
// Bind and connect failures are reported by exceptions (the only place the
// agent uses them); send and receive return the system call's result.
#ifndef BREVANE_SIMCLIENT_SOCKET_H
#define BREVANE_SIMCLIENT_SOCKET_H

#include <netinet/in.h>

#include <cstddef>
#include <stdexcept>
#include <string>

namespace rcss {
namespace net {

class BindErr : public std::runtime_error {
public:
    explicit BindErr(const std::string& what) : std::runtime_error(what) {}
};

class ConnectErr : public std::runtime_error {
public:
    explicit ConnectErr(const std::string& what) : std::runtime_error(what) {}
};

// An IPv4 address and port. A host name that cannot be resolved leaves the
// address invalid; connecting to it throws ConnectErr.
class Addr {
public:
    typedef unsigned short PortType;
    typedef unsigned long HostType;

    // host in host byte order; 0 is "any address".
    explicit Addr(PortType port = 0, HostType host = 0);
    Addr(PortType port, const std::string& host);

    bool valid() const { return m_valid; }
    const sockaddr_in& getAddr() const { return m_addr; }
    PortType getPort() const;
    std::string getHostStr() const;
    // Why resolution failed, empty when valid.
    const std::string& error() const { return m_error; }

private:
    sockaddr_in m_addr;
    bool m_valid;
    std::string m_error;
};

class Socket {
public:
    // CHECK retries a call interrupted by a signal; DONT_CHECK returns at once.
    enum CheckingType { CHECK, DONT_CHECK };
    typedef int SocketDesc;

    Socket();
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    SocketDesc getFD() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

    void bind(const Addr& addr);     // throws BindErr
    void connect(const Addr& addr);  // throws ConnectErr
    // Results as send(2)/recv(2): bytes moved, 0 at end of stream for recv,
    // -1 with errno on failure.
    long send(const char* buf, std::size_t len, int flags = 0, CheckingType check = CHECK);
    long recv(char* buf, std::size_t len, int flags = 0, CheckingType check = CHECK);
    void close();

protected:
    // Opens a descriptor of the given type when none is open.
    bool open(int type);
    int m_type;

private:
    SocketDesc m_fd;
};

class TCPSocket : public Socket {
public:
    TCPSocket();
};

}  // namespace net
}  // namespace rcss

#endif
