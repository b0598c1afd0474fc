// Runs a program for a test: standard output and error go to files in a
// private temporary directory, and every wait has a timeout, after which the
// program is killed. The destructor kills a program still running and
// removes the files.
#ifndef BREVANE_TESTS_SUPPORT_CHILD_PROCESS_H
#define BREVANE_TESTS_SUPPORT_CHILD_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
public:
    ChildProcess();
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] with the arguments, in the current directory.
    bool start(const std::vector<std::string>& argv);
    // Waits for the end; false (and the program killed) after timeout_ms.
    bool wait(int timeout_ms = 5000);
    // Sends a signal to the running program.
    void signal(int sig);
    bool running() const { return m_pid > 0; }
    // The running program's process id (-1 when none runs).
    pid_t pid() const { return m_pid; }

    // After wait(): true when the program exited by itself, with its status.
    bool exited() const { return m_exited; }
    int exit_status() const { return m_exit_status; }
    bool killed_by_signal() const { return m_signaled; }
    int term_signal() const { return m_term_signal; }

    std::string stdout_text() const;
    std::string stderr_text() const;

private:
    pid_t m_pid;
    bool m_exited;
    int m_exit_status;
    bool m_signaled;
    int m_term_signal;
    std::string m_dir;
};

#endif
