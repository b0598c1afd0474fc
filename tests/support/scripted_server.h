// A scripted soccer-server peer for tests: listens on a loopback address on
// port 3100, accepts one client and speaks the server's framing (a 4-byte
// big-endian body length, then the text) in both directions.
//
// Typical end-to-end use with the real agent binary:
//
//   ScriptedServer server;
//   ASSERT_TRUE(server.listen()) << server.error();   // picks a free 127.x.y.z
//   ChildProcess agent;
//   agent.start({BREVANE_BINARY_DIR "/brevane", "--host=" + server.host(), "--num=3"});
//   ASSERT_TRUE(server.accept(5000));
//   std::string scene;
//   ASSERT_TRUE(server.receive(scene, 5000));         // "(scene ...)"
//   server.send(perception_text);
//   ...
//   server.close_client();                             // the agent sees end of stream
//   ASSERT_TRUE(agent.wait(5000));                     // and exits
//
// Every wait has a timeout in milliseconds, so a silent agent fails the test
// instead of hanging it. The port is fixed by the agent (3100); tests run in
// parallel, so listen() without an argument picks an address other than
// 127.0.0.1 that no other listener holds (retrying on collisions).
#ifndef BREVANE_TESTS_SUPPORT_SCRIPTED_SERVER_H
#define BREVANE_TESTS_SUPPORT_SCRIPTED_SERVER_H

#include <string>
#include <vector>

class ScriptedServer {
public:
    static const int kPort = 3100;

    ScriptedServer();
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    // Listens on a free loopback address 127.x.y.z (never 127.0.0.1).
    bool listen();
    // Listens on the given IPv4 address.
    bool listen(const std::string& host);
    // The same on another port (for agents that can be given one).
    bool listen(const std::string& host, int port);
    bool listen_on_port(int port);
    // The address listened on ("" before listen()).
    const std::string& host() const { return m_host; }
    // The last failure, for test messages.
    const std::string& error() const { return m_error; }

    // Waits for one client; false after timeout_ms without one.
    bool accept(int timeout_ms = 5000);
    bool connected() const { return m_client >= 0; }

    // Sends one framed message.
    bool send(const std::string& msg);
    // Sends bytes as they are (to script broken framing).
    bool send_raw(const std::string& bytes);
    // Receives one framed message; false on timeout, end of stream or error.
    bool receive(std::string& msg, int timeout_ms = 5000);
    // Receives framed messages until `count` arrived or timeout_ms passed
    // in total; returns what arrived.
    std::vector<std::string> receive_n(int count, int timeout_ms = 5000);
    // True when the client closes within timeout_ms (data still arriving is
    // read and dropped).
    bool wait_client_closed(int timeout_ms = 5000);

    // Closes the connection to the client (it reads end of stream).
    void close_client();
    // Half-closes the connection: the client reads end of stream after the
    // messages already sent, and its answers can still be received.
    void finish_sending();
    // Resets the connection (the client's next receive fails with
    // ECONNRESET).
    void reset_client();
    // Stops listening (a later connect is refused).
    void close_listener();

private:
    bool read_exact(char* buf, int len, int timeout_ms);
    int m_listen;
    int m_client;
    std::string m_host;
    std::string m_error;
};

#endif
