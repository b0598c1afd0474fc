#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

std::string read_file(const std::string& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

ChildProcess::ChildProcess()
    : m_pid(-1), m_exited(false), m_exit_status(-1), m_signaled(false), m_term_signal(0)
{
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int st;
        ::waitpid(m_pid, &st, 0);
    }
    if (!m_dir.empty()) {
        ::unlink((m_dir + "/stdout").c_str());
        ::unlink((m_dir + "/stderr").c_str());
        ::rmdir(m_dir.c_str());
    }
}

bool ChildProcess::start(const std::vector<std::string>& argv)
{
    if (argv.empty() || m_pid > 0) return false;
    if (m_dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/brevane-test-XXXXXX";
        std::vector<char> buf(templ.begin(), templ.end());
        buf.push_back('\0');
        if (::mkdtemp(buf.data()) == nullptr) return false;
        m_dir = buf.data();
    }
    std::string out = m_dir + "/stdout";
    std::string err = m_dir + "/stderr";
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (o < 0 || e < 0) ::_exit(127);
        ::dup2(o, 1);
        ::dup2(e, 2);
        ::close(o);
        ::close(e);
        int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) ::dup2(devnull, 0);
        // The test runner may block or ignore signals; the program starts
        // with the defaults.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        // A program that aborts must not leave a core file in the source tree.
        rlimit no_core = {0, 0};
        ::setrlimit(RLIMIT_CORE, &no_core);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    m_pid = pid;
    m_exited = m_signaled = false;
    return true;
}

bool ChildProcess::wait(int timeout_ms)
{
    if (m_pid <= 0) return m_exited || m_signaled;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int st = 0;
    for (;;) {
        pid_t r = ::waitpid(m_pid, &st, WNOHANG);
        if (r == m_pid) break;
        if (r < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &st, 0);
            m_pid = -1;
            m_signaled = true;
            m_term_signal = SIGKILL;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_pid = -1;
    if (WIFEXITED(st)) {
        m_exited = true;
        m_exit_status = WEXITSTATUS(st);
    } else if (WIFSIGNALED(st)) {
        m_signaled = true;
        m_term_signal = WTERMSIG(st);
    }
    return true;
}

void ChildProcess::signal(int sig)
{
    if (m_pid > 0) ::kill(m_pid, sig);
}

std::string ChildProcess::stdout_text() const
{
    return m_dir.empty() ? std::string() : read_file(m_dir + "/stdout");
}

std::string ChildProcess::stderr_text() const
{
    return m_dir.empty() ? std::string() : read_file(m_dir + "/stderr");
}
