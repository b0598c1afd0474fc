// The cycle loop: one framed server message, then one Think per sub-step
// on that same message, each answer sent at once.
#ifndef BREVANE_RUNTIME_CYCLE_LOOP_H
#define BREVANE_RUNTIME_CYCLE_LOOP_H

#include <sys/time.h>
#include <unistd.h>

#include <string>

#include "perception/SimBehavior.h"
#include "runtime/server_link.h"

// The match agent's loop (sleeps between sub-steps).
void Run_accel_2013();
// The same contract, each sub-step paced by a real-time timer signal.
void Run_accel_2_2013();
// Tests: let the next Run_accel_2_2013 set its timer up again.
void reset_timer_loop();

// The sleeping loop for any behaviour with a public `sub_steps`. Ends when
// gLoop is cleared at the loop test, or when the link is lost.
template <class Agent>
void run_sleeping_loop(Agent& agent)
{
    SimBehavior& b = agent;
    PutMessage(b.Init());
    std::string msg;
    while (gLoop && gLinkStatus == LINK_OK) {
        if (!GetMessage(msg)) break;
        if (!PutMessage(b.Think(msg))) break;
        for (int i = 1; i < agent.sub_steps && gLinkStatus == LINK_OK; ++i) {
            usleep(20000 / agent.sub_steps);
            PutMessage(b.Think(msg));
        }
    }
}

// The older, interval-measuring form: the mean interval between messages
// is measured, and each further sub-step would wait that long divided by
// the sub-steps; its sub-step count is fixed at 1, so every message gets
// exactly one answer (whatever the agent's own sub_steps).
template <class Agent>
void run_interval_loop(Agent& agent)
{
    SimBehavior& b = agent;
    PutMessage(b.Init());
    const int n = 1;
    float sum = 0;
    int count = 0;
    timeval previous{};
    std::string msg;
    while (gLoop && gLinkStatus == LINK_OK) {
        if (!GetMessage(msg)) break;
        timeval now;
        gettimeofday(&now, nullptr);
        float mean = 0;
        if (previous.tv_sec != 0 || previous.tv_usec != 0) {
            sum += static_cast<float>(now.tv_sec - previous.tv_sec) +
                   static_cast<float>(now.tv_usec - previous.tv_usec) / 1000000.0f;
            ++count;
            mean = sum / count;
        }
        previous = now;
        if (!PutMessage(b.Think(msg))) break;
        for (int i = 1; i < n && gLinkStatus == LINK_OK; ++i) {
            usleep(static_cast<useconds_t>(1000000 * mean / n));
            PutMessage(b.Think(msg));
        }
    }
}

// Pieces of the timer-driven form. The set-up (SIGRTMIN blocked, the timer
// created with a period of period_us) happens once per process; false when
// it failed (message printed).
bool timer_loop_set_up(int period_us);
// Restarts the period from now (after a message arrived).
void timer_loop_rearm();
// Waits for one timer expiry.
void timer_loop_wait();
// Unblocks SIGRTMIN and deletes the timer.
void timer_loop_tear_down();

template <class Agent>
void run_timer_loop(Agent& agent)
{
    SimBehavior& b = agent;
    PutMessage(b.Init());
    if (!timer_loop_set_up(20000 / agent.sub_steps)) return;
    std::string msg;
    while (gLoop && gLinkStatus == LINK_OK) {
        if (!GetMessage(msg)) break;
        timer_loop_rearm();
        if (!PutMessage(b.Think(msg))) break;
        for (int i = 1; i < agent.sub_steps && gLinkStatus == LINK_OK; ++i) {
            timer_loop_wait();
            PutMessage(b.Think(msg));
        }
    }
    timer_loop_tear_down();
}

#endif
