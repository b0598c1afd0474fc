// Head scanner: turns the head towards the ball while it is in view and
// otherwise sweeps it through a fixed pattern so that the camera keeps
// finding the landmarks. One call writes one neck command.
#ifndef BREVANE_HEADSCAN_NAOSCAN_H
#define BREVANE_HEADSCAN_NAOSCAN_H

#include <sstream>

class NaoParse;

class head_scan_t {
public:
    enum seq_id : int {
        SEQ_CENTER = 0,     // head held at the centre
        SEQ_YAW = 1,        // yaw sweep
        SEQ_PITCH = 2,      // pitch sweep
        SEQ_RECTANGLE = 3,  // rectangle
        SEQ_FIVE_LEGS = 4   // five legs through the centre
    };

    // Room for one neck command, terminating NUL included.
    static const int CMD_SIZE = 64;
    // degrees: the neck's range, yaw either way and pitch either way.
    static constexpr double NECK_YAW_LIMIT = 120.0;
    static constexpr double NECK_PITCH_LIMIT = 45.0;

    seq_id seq;
    double pitch_amplitude;  // degrees
    double yaw_amplitude;    // degrees
    int reversal_count;      // sweep ends reached
    bool first_sweep;        // the last reversal ended the first sweep

    head_scan_t(seq_id id, double yaw_amplitude, double pitch_amplitude);

    // Appends one neck command for the current sequence; `p` may be null
    // (then the ball is not tracked).
    void headScan(std::stringstream& out, double speed, NaoParse* p);

    void headScan_546(std::stringstream& out, double speed, NaoParse* p);
    void headScan_528(std::stringstream& out, double speed, NaoParse* p);
    void headScan_56974(std::stringstream& out, double speed, NaoParse* p);
    void headScan_565854(std::stringstream& out, double speed, NaoParse* p);

    // Turns the head towards (yaw, pitch) (degrees, pitch negative looking
    // down), where the ball is known to lie out of view, instead of the
    // pattern, as far as the neck's range goes; a ball in view is tracked
    // as ever.
    void lookTowards(std::stringstream& out, double yaw_deg, double pitch_deg, NaoParse* p);

    // The pattern progress is per process; tests put it back to the start.
    static void reset_pattern_state();
};

#endif
