#include "support/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

namespace {

long long now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool wait_readable(int fd, int timeout_ms)
{
    if (timeout_ms < 0) timeout_ms = 0;
    pollfd p;
    p.fd = fd;
    p.events = POLLIN;
    p.revents = 0;
    int rc;
    do {
        rc = ::poll(&p, 1, timeout_ms);
    } while (rc < 0 && errno == EINTR);
    return rc == 1;
}

}  // namespace

ScriptedServer::ScriptedServer() : m_listen(-1), m_client(-1) {}

ScriptedServer::~ScriptedServer()
{
    close_client();
    close_listener();
}

bool ScriptedServer::listen(const std::string& host) { return listen(host, kPort); }

bool ScriptedServer::listen(const std::string& host, int port)
{
    close_listener();
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &a.sin_addr) != 1) {
        m_error = "bad address " + host;
        return false;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        m_error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    int one = 1;
    // Lets a test reuse an address whose last connection is in TIME_WAIT;
    // two listeners on one address are still refused by listen().
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 || ::listen(fd, 4) != 0) {
        m_error = host + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_listen = fd;
    m_host = host;
    return true;
}

bool ScriptedServer::listen() { return listen_on_port(kPort); }

bool ScriptedServer::listen_on_port(int port)
{
    // Start from an address derived from the process id and walk on, so
    // parallel test processes rarely try the same one.
    static unsigned counter = 0;
    unsigned seed = static_cast<unsigned>(::getpid()) * 7919u + counter * 104729u;
    for (int attempt = 0; attempt < 200; ++attempt) {
        unsigned v = (seed + static_cast<unsigned>(attempt) * 2654435761u) % (254u * 256u * 254u);
        unsigned b1 = 1 + v / (256u * 254u);  // 1..254: never 127.0.x.x
        unsigned b2 = (v / 254u) % 256u;
        unsigned b3 = 1 + v % 254u;  // 1..254
        std::string host = "127." + std::to_string(b1) + "." + std::to_string(b2) + "." + std::to_string(b3);
        ++counter;
        if (listen(host, port)) return true;
    }
    return false;
}

bool ScriptedServer::accept(int timeout_ms)
{
    if (m_listen < 0) {
        m_error = "not listening";
        return false;
    }
    if (!wait_readable(m_listen, timeout_ms)) {
        m_error = "no client within timeout";
        return false;
    }
    int fd = ::accept(m_listen, nullptr, nullptr);
    if (fd < 0) {
        m_error = std::string("accept: ") + std::strerror(errno);
        return false;
    }
    close_client();
    m_client = fd;
    return true;
}

bool ScriptedServer::send_raw(const std::string& bytes)
{
    if (m_client < 0) return false;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t rc = ::send(m_client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) {
            m_error = std::string("send: ") + std::strerror(errno);
            return false;
        }
        sent += static_cast<std::size_t>(rc);
    }
    return true;
}

bool ScriptedServer::send(const std::string& msg)
{
    uint32_t len = htonl(static_cast<uint32_t>(msg.size()));
    std::string framed(reinterpret_cast<const char*>(&len), 4);
    framed += msg;
    return send_raw(framed);
}

bool ScriptedServer::read_exact(char* buf, int len, int timeout_ms)
{
    long long deadline = now_ms() + timeout_ms;
    int got = 0;
    while (got < len) {
        if (!wait_readable(m_client, static_cast<int>(deadline - now_ms()))) {
            m_error = "timeout";
            return false;
        }
        ssize_t rc = ::recv(m_client, buf + got, static_cast<std::size_t>(len - got), 0);
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) {
            m_error = rc == 0 ? "end of stream" : std::string("recv: ") + std::strerror(errno);
            return false;
        }
        got += static_cast<int>(rc);
    }
    return true;
}

bool ScriptedServer::receive(std::string& msg, int timeout_ms)
{
    if (m_client < 0) return false;
    long long deadline = now_ms() + timeout_ms;
    char head[4];
    if (!read_exact(head, 4, timeout_ms)) return false;
    uint32_t netlen;
    std::memcpy(&netlen, head, 4);
    uint32_t len = ntohl(netlen);
    if (len > (1u << 24)) {
        m_error = "implausible length";
        return false;
    }
    std::string body(len, '\0');
    if (len > 0 && !read_exact(&body[0], static_cast<int>(len), static_cast<int>(deadline - now_ms())))
        return false;
    msg = body;
    return true;
}

std::vector<std::string> ScriptedServer::receive_n(int count, int timeout_ms)
{
    std::vector<std::string> got;
    long long deadline = now_ms() + timeout_ms;
    std::string m;
    while (static_cast<int>(got.size()) < count && receive(m, static_cast<int>(deadline - now_ms())))
        got.push_back(m);
    return got;
}

bool ScriptedServer::wait_client_closed(int timeout_ms)
{
    if (m_client < 0) return true;
    long long deadline = now_ms() + timeout_ms;
    char buf[4096];
    for (;;) {
        if (!wait_readable(m_client, static_cast<int>(deadline - now_ms()))) return false;
        ssize_t rc = ::recv(m_client, buf, sizeof(buf), 0);
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) return true;
    }
}

void ScriptedServer::close_client()
{
    if (m_client >= 0) {
        ::close(m_client);
        m_client = -1;
    }
}

void ScriptedServer::finish_sending()
{
    if (m_client >= 0) ::shutdown(m_client, SHUT_WR);
}

void ScriptedServer::reset_client()
{
    if (m_client < 0) return;
    linger l;
    l.l_onoff = 1;
    l.l_linger = 0;  // close with RST instead of FIN
    ::setsockopt(m_client, SOL_SOCKET, SO_LINGER, &l, sizeof(l));
    close_client();
}

void ScriptedServer::close_listener()
{
    if (m_listen >= 0) {
        ::close(m_listen);
        m_listen = -1;
    }
}
