#include "headscan/naoscan.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "perception/naoparse.h"

namespace {

// Bumped by reset_pattern_state; each pattern compares it with the value it
// last saw and starts over when they differ.
unsigned g_pattern_generation = 0;

// Formats one command into `buf` and appends it. The values come from the
// perception, so a text that would not fit is dropped rather than cut.
__attribute__((format(printf, 3, 4))) void write_command(std::stringstream& out, char* buf, const char* fmt,
                                                         ...)
{
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(buf, head_scan_t::CMD_SIZE, fmt, args);
    va_end(args);
    if (n < 0 || n >= head_scan_t::CMD_SIZE) {
        std::fprintf(stderr, "head_scan_t: command too long, dropped\n");
        buf[0] = '\0';
        return;
    }
    out << buf;
}

double yaw_deg() { return NaoParse::GetJointAngleDeg(NaoParse::JID_HEAD_1); }
double pitch_deg() { return NaoParse::GetJointAngleDeg(NaoParse::JID_HEAD_2); }

// Neck speed towards the ball for one angle, with a dead zone so that the
// head does not jitter around the target.
double ball_speed(double angle_deg)
{
    double v = angle_deg / 10.0;
    if (v > -0.1 && v < 0.1) return 0.0;
    return v;
}

// Writes the ball-tracking command when the ball is in view; true when it
// did (the pattern then waits).
bool track_ball(std::stringstream& out, char* buf, NaoParse* p)
{
    if (p == nullptr || !p->nv.seen[NaoParse::VO_BALL]) return false;
    double az = p->nv.pol[NaoParse::VO_BALL][1];
    double el = p->nv.pol[NaoParse::VO_BALL][2];
    if (!std::isfinite(az) || !std::isfinite(el)) {
        // A broken observation must not become a speed command.
        buf[0] = '\0';
        return true;
    }
    write_command(out, buf, "(he1 %.2f) (he2 %.2f)", ball_speed(az), ball_speed(el));
    return true;
}

void yaw_plus(std::stringstream& out, char* buf, double s)
{
    write_command(out, buf, "(he1 %.2f) (he2 0)", s);
}
void yaw_minus(std::stringstream& out, char* buf, double s)
{
    write_command(out, buf, "(he1 -%.2f) (he2 0)", s);
}
void pitch_plus(std::stringstream& out, char* buf, double s)
{
    write_command(out, buf, "(he1 0) (he2 %.2f)", s);
}
void pitch_minus(std::stringstream& out, char* buf, double s)
{
    write_command(out, buf, "(he1 0) (he2 -%.2f)", s);
}

typedef void (*command_fn)(std::stringstream&, char*, double);

// True once after each reset_pattern_state for the pattern whose generation
// is `seen`: its statics then start over.
bool pattern_restarted(unsigned& seen)
{
    if (seen == g_pattern_generation) return false;
    seen = g_pattern_generation;
    return true;
}

// Common start of every pattern's step: its progress starts over after
// reset_pattern_state, and a ball in view is tracked instead (true: the
// pattern waits this cycle).
bool start_step(std::stringstream& out, char* buf, NaoParse* p, unsigned& generation, int& progress)
{
    if (pattern_restarted(generation)) progress = 0;
    return track_ball(out, buf, p);
}

// One step of a sweep of `angle` between -amplitude and +amplitude
// (direction 0 towards the negative limit); the cycle that reaches a limit
// writes nothing, counts the reversal and turns round.
void sweep(std::stringstream& out, char* buf, double angle, double amplitude, double speed, int& direction,
           command_fn minus, command_fn plus, head_scan_t& hs)
{
    const bool towards_negative = direction == 0;
    if (towards_negative ? angle > -amplitude : angle < amplitude) {
        (towards_negative ? minus : plus)(out, buf, speed);
        return;
    }
    hs.first_sweep = (hs.reversal_count == 0);
    hs.reversal_count++;
    direction = towards_negative ? 1 : 0;
}

// One leg of a multi-leg pattern: the neck joint it moves, the direction,
// and where it ends, as a multiple of that joint's amplitude.
struct scan_leg {
    bool yaw;
    int sign;
    double limit_scale;
};

// One step of a multi-leg pattern; the cycle that ends a leg writes the next
// leg's command at once.
void run_legs(std::stringstream& out, char* buf, double speed, const scan_leg* legs, int nlegs, int& state,
              const head_scan_t& hs)
{
    auto command = [&](const scan_leg& l) {
        if (l.yaw)
            (l.sign > 0 ? yaw_plus : yaw_minus)(out, buf, speed);
        else
            (l.sign > 0 ? pitch_plus : pitch_minus)(out, buf, speed);
    };
    const scan_leg& leg = legs[state];
    const double angle = leg.yaw ? yaw_deg() : pitch_deg();
    const double limit = leg.limit_scale * (leg.yaw ? hs.yaw_amplitude : hs.pitch_amplitude);
    if (leg.sign > 0 ? angle < limit : angle > limit) {
        command(leg);
        return;
    }
    state = (state + 1) % nlegs;
    command(legs[state]);
}

}  // namespace

head_scan_t::head_scan_t(seq_id id, double yaw_amp, double pitch_amp)
    : seq(id), pitch_amplitude(pitch_amp), yaw_amplitude(yaw_amp), reversal_count(0), first_sweep(false)
{
}

void head_scan_t::reset_pattern_state() { ++g_pattern_generation; }

void head_scan_t::lookTowards(std::stringstream& out, double yaw_target, double pitch_target, NaoParse* p)
{
    static char buf[CMD_SIZE];
    if (track_ball(out, buf, p)) return;
    if (!std::isfinite(yaw_target) || !std::isfinite(pitch_target)) return;
    // Beyond its range the neck would be driven against its stop.
    const double yaw = std::max(-NECK_YAW_LIMIT, std::min(NECK_YAW_LIMIT, yaw_target));
    const double pitch = std::max(-NECK_PITCH_LIMIT, std::min(NECK_PITCH_LIMIT, pitch_target));
    write_command(out, buf, "(he1 %.2f) (he2 %.2f)", ball_speed(yaw - yaw_deg()),
                  ball_speed(pitch - pitch_deg()));
}

void head_scan_t::headScan(std::stringstream& out, double speed, NaoParse* p)
{
    switch (static_cast<int>(seq)) {
        case SEQ_CENTER:
            out << "(he1 0) (he2 0)";
            break;
        case SEQ_YAW:
            headScan_546(out, speed, p);
            break;
        case SEQ_PITCH:
            headScan_528(out, speed, p);
            break;
        case SEQ_RECTANGLE:
            headScan_56974(out, speed, p);
            break;
        case SEQ_FIVE_LEGS:
            headScan_565854(out, speed, p);
            break;
        default:
            std::fprintf(stderr, "UNDEF head_scan_id !!!\n");
            break;
    }
}

// Yaw sweep between -A and +A.
void head_scan_t::headScan_546(std::stringstream& out, double speed, NaoParse* p)
{
    static char buf[CMD_SIZE];
    static int head_angle_dir = 0;  // 0: towards negative yaw
    static unsigned generation = 0;
    if (start_step(out, buf, p, generation, head_angle_dir)) return;
    sweep(out, buf, yaw_deg(), yaw_amplitude, speed, head_angle_dir, yaw_minus, yaw_plus, *this);
}

// Pitch sweep between -B and +B.
void head_scan_t::headScan_528(std::stringstream& out, double speed, NaoParse* p)
{
    static char buf[CMD_SIZE];
    static int head_angle_dir = 0;  // 0: towards negative pitch
    static unsigned generation = 0;
    if (start_step(out, buf, p, generation, head_angle_dir)) return;
    sweep(out, buf, pitch_deg(), pitch_amplitude, speed, head_angle_dir, pitch_minus, pitch_plus, *this);
}

// Rectangle: +yaw, -pitch, -yaw, +pitch; a change of leg writes the next
// leg's command in the same cycle.
void head_scan_t::headScan_56974(std::stringstream& out, double speed, NaoParse* p)
{
    static char buf[CMD_SIZE];
    static int head_scan_state = 0;
    static unsigned generation = 0;
    if (start_step(out, buf, p, generation, head_scan_state)) return;
    static const scan_leg legs[] = {{true, +1, 1.0}, {false, -1, -1.0}, {true, -1, -1.0}, {false, +1, 1.0}};
    run_legs(out, buf, speed, legs, 4, head_scan_state, *this);
}

// Five legs through the centre: out to +A and back, down to -B and back,
// then out to -A, where the pattern turns towards +A again.
void head_scan_t::headScan_565854(std::stringstream& out, double speed, NaoParse* p)
{
    static char buf[CMD_SIZE];
    static int head_scan_state = 0;
    static unsigned generation = 0;
    if (start_step(out, buf, p, generation, head_scan_state)) return;
    static const scan_leg legs[] = {
        {true, +1, 1.0}, {true, -1, 0.0}, {false, -1, -1.0}, {false, +1, 0.0}, {true, -1, -1.0}};
    run_legs(out, buf, speed, legs, 5, head_scan_state, *this);
}
