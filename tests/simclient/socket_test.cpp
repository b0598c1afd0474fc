#include "simclient/socket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cstring>

#include "support/scripted_server.h"

namespace {

using rcss::net::Addr;
using rcss::net::TCPSocket;

TEST(Addr, StoresPortAndHostInNetworkOrder)
{
    Addr any(0, 0);
    EXPECT_TRUE(any.valid());
    EXPECT_EQ(any.getAddr().sin_addr.s_addr, htonl(INADDR_ANY));
    EXPECT_EQ(any.getPort(), 0);

    Addr a(3100, std::string("127.1.2.3"));
    ASSERT_TRUE(a.valid());
    EXPECT_EQ(a.getAddr().sin_port, htons(3100));
    EXPECT_EQ(a.getHostStr(), "127.1.2.3");
    EXPECT_EQ(a.getPort(), 3100);

    Addr n(80, 0x7f000001UL);
    EXPECT_EQ(n.getHostStr(), "127.0.0.1");
}

TEST(Addr, ResolvesLocalhostAndRejectsAnEmptyName)
{
    Addr l(3100, std::string("localhost"));
    EXPECT_TRUE(l.valid());
    Addr bad(3100, std::string(""));
    EXPECT_FALSE(bad.valid());
    EXPECT_FALSE(bad.error().empty());
}

TEST(TCPSocket, ConnectToAnUnresolvableHostThrowsConnectErr)
{
    TCPSocket s;
    EXPECT_THROW(s.connect(Addr(3100, std::string(""))), rcss::net::ConnectErr);
}

TEST(TCPSocket, ConnectRefusedThrowsConnectErr)
{
    ScriptedServer server;
    ASSERT_TRUE(server.listen()) << server.error();
    std::string host = server.host();
    server.close_listener();  // nothing listens there any more
    TCPSocket s;
    s.bind(Addr(0, 0));
    try {
        s.connect(Addr(3100, host));
        FAIL() << "connected to a closed port";
    } catch (const rcss::net::ConnectErr& e) {
        EXPECT_NE(std::string(e.what()).find("refused"), std::string::npos) << e.what();
    }
}

TEST(TCPSocket, BindToAForeignAddressThrowsBindErr)
{
    TCPSocket s;
    // 192.0.2.1 (a documentation address) is not an address of this host.
    EXPECT_THROW(s.bind(Addr(0, 0xC0000201UL)), rcss::net::BindErr);
}

TEST(TCPSocket, MovesBytesBothWaysAndSeesEndOfStream)
{
    ScriptedServer server;
    ASSERT_TRUE(server.listen()) << server.error();
    TCPSocket s;
    s.bind(Addr(0, 0));
    s.connect(Addr(ScriptedServer::kPort, server.host()));
    ASSERT_TRUE(server.accept(2000)) << server.error();
    EXPECT_GE(s.getFD(), 0);

    const char hello[] = "\0\0\0\5hello";
    ASSERT_EQ(s.send(hello, 9), 9);
    std::string got;
    ASSERT_TRUE(server.receive(got, 2000));
    EXPECT_EQ(got, "hello");

    ASSERT_TRUE(server.send_raw("abc"));
    char buf[8] = {0};
    long n = 0;
    while (n < 3) {
        long r = s.recv(buf + n, sizeof(buf) - 1 - n);
        ASSERT_GT(r, 0);
        n += r;
    }
    EXPECT_STREQ(buf, "abc");

    server.close_client();
    EXPECT_EQ(s.recv(buf, sizeof(buf)), 0);
    s.close();
    EXPECT_FALSE(s.isOpen());
}

}  // namespace

// The two answers of a cycle leave half a cycle apart; the second must not
// wait for the server's acknowledgement of the first.
TEST(TCPSocket, SendsWithoutNagleDelay)
{
    TCPSocket s;
    ASSERT_TRUE(s.isOpen());
    int v = 0;
    socklen_t len = sizeof(v);
    ASSERT_EQ(getsockopt(s.getFD(), IPPROTO_TCP, TCP_NODELAY, &v, &len), 0);
    EXPECT_NE(v, 0);
}
