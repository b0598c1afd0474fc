// The step log of a machine tree (the run-challenge program's machines
// write one): every machine of the tree writes one line per step at its own
// level (the root 0, its child 1, ...), and the lines of a step are printed
// whenever they differ from those of the step before; a run of equal steps
// is marked every 200 steps.
#ifndef BREVANE_BEHAVIOR_MACHINE_LOG_H
#define BREVANE_BEHAVIOR_MACHINE_LOG_H

#include <string>

// The log sink: "INFO: <name> <text>" on the standard error stream.
class flog_t {
public:
    void info(const std::string& name, const std::string& text) const;
};

class machine_log_t {
public:
    static const int LEVELS = 10;
    static const int LINE_SIZE = 1024;
    static const int SAME_PERIOD = 200;  // equal steps between two marks

    char current[LEVELS][LINE_SIZE];   // this step's lines, "none" when unwritten
    char previous[LEVELS][LINE_SIZE];  // the step before's
    int step_count;                    // steps since construction
    int same_count;                    // equal steps since the last change

    // name: what the sink prints after "INFO:".
    explicit machine_log_t(std::string name = "");

    // Starts a step: its lines become the previous ones, all "none".
    void begin_step();
    // The line of a level. A level outside 0..9 is reported through the
    // sink instead; a line that does not fit the 1024-character buffer
    // (its terminating NUL included) is replaced by a report of its own.
    void write(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Ends the step: counts it and prints its lines when they differ from
    // the step before's (a separator first), or the mark of a run of equal
    // steps every 200th equal step.
    void end_step();

private:
    std::string name_;
    flog_t sink_;
};

#endif
