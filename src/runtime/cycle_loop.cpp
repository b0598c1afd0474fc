#include "runtime/cycle_loop.h"

#include <signal.h>
#include <time.h>

#include <cstring>
#include <memory>
#include <iostream>

#include "skills/NaoBehavior.h"

namespace {

struct TimerLoopState {
    bool first = true;  // set-up still to do
    sigset_t set;
    sigevent event;
    timer_t timer;
    itimerspec spec;
};

TimerLoopState& timer_state()
{
    static TimerLoopState state;
    return state;
}

}  // namespace

void reset_timer_loop() { timer_state() = TimerLoopState(); }

bool timer_loop_set_up(int period_us)
{
    TimerLoopState& s = timer_state();
    if (!s.first) return true;
    s.first = false;
    sigemptyset(&s.set);
    sigaddset(&s.set, SIGRTMIN);
    if (sigprocmask(SIG_SETMASK, &s.set, nullptr) != 0) {
        std::cerr << "sigprocmask ERROR\n";
        return false;
    }
    std::memset(&s.event, 0, sizeof(s.event));
    s.event.sigev_notify = SIGEV_SIGNAL;
    s.event.sigev_signo = SIGRTMIN;
    s.event.sigev_value.sival_ptr = &s.timer;
    if (timer_create(CLOCK_REALTIME, &s.event, &s.timer) != 0) {
        std::cerr << "timer_create ERROR\n";
        return false;
    }
    const long ns = static_cast<long>(period_us) * 1000;
    s.spec.it_value.tv_sec = 0;
    s.spec.it_value.tv_nsec = ns;
    s.spec.it_interval.tv_sec = 0;
    s.spec.it_interval.tv_nsec = ns;
    return true;
}

namespace {

// Takes every pending expiry of the timer without waiting.
void drop_pending_expiries(const sigset_t& set)
{
    const timespec no_wait = {0, 0};
    while (sigtimedwait(&set, nullptr, &no_wait) > 0) {
    }
}

}  // namespace

void timer_loop_rearm()
{
    TimerLoopState& s = timer_state();
    if (timer_settime(s.timer, 0, &s.spec, nullptr) != 0) std::cerr << "timer_settime ERROR\n";
    // Expiries queued while the loop waited for the message would end the
    // next sub-step's wait at once instead of one period after the arrival.
    drop_pending_expiries(s.set);
}

void timer_loop_wait()
{
    int sig = 0;
    sigwait(&timer_state().set, &sig);
}

void timer_loop_tear_down()
{
    TimerLoopState& s = timer_state();
    // Stop the timer and take the expiries that came after the last
    // sub-step: once unblocked, a pending SIGRTMIN would end the process
    // (its default action).
    itimerspec stop;
    std::memset(&stop, 0, sizeof(stop));
    timer_settime(s.timer, 0, &stop, nullptr);
    drop_pending_expiries(s.set);
    if (sigprocmask(SIG_UNBLOCK, &s.set, nullptr) != 0)
        std::cerr << "sigprocmask ERROR\n";
    else
        timer_delete(s.timer);
}

// The agent lives as long as the loop, which ends only when the program does.
void Run_accel_2013()
{
    std::unique_ptr<NaoBehavior> agent(new NaoBehavior(player_number, team_size, team_name));
    run_sleeping_loop(*agent);
}

void Run_accel_2_2013()
{
    std::unique_ptr<NaoBehavior> agent(new NaoBehavior(player_number, team_size, team_name));
    run_timer_loop(*agent);
}
