// Tournament record: one timed trial of a challenge (who runs it, when and
// where it starts, where it ends), written as one line of a log file named
// after the trial, "log_tournament_<id>.txt" in the working directory:
//   "<start time> <end time> <n> (<x> <y> <angle>) (<x> <y> <angle>)"
// with three decimals. Three kinds of ending: a timed run (endT), a run
// whose heading is scored (endR, end time written as 0) and a kick whose
// ball travel is scored (endK, end time 0, the kick's start and end points
// with angles 0).
#ifndef BREVANE_SKILLS_NAOTOURNAMENT_H
#define BREVANE_SKILLS_NAOTOURNAMENT_H

#include <string>

class Nao_ref_Tournament {
public:
    int id = 0;                                        // trial number; names the log file
    double start_time = 0;                             // s
    double start_x = 0, start_y = 0, start_angle = 0;  // m, m, rad
    double end_x = 0, end_y = 0, end_angle = 0;
    double kick_start_x = 0, kick_start_y = 0;  // m
    double kick_end_x = 0, kick_end_y = 0;

    void init(int id, double start_time, double x, double y, double angle, double kick_x, double kick_y);

    // Each: a time before the start time gives false and changes nothing.
    // Otherwise the end is stored and the log file written (replacing an
    // earlier one of this trial); false, with a message, when it cannot be.
    bool endT(double time, int n, double x, double y, double angle);
    // The end angle, when below pi, is stored with 2 pi added.
    bool endR(double time, int n, double x, double y, double angle);
    bool endK(double time, int n, double x, double y);

    // "log_tournament_<id>.txt".
    std::string log_name() const;

private:
    bool write_log(double time, int n, double ax, double ay, double aa, double bx, double by,
                   double ba) const;
};

#endif
