// A world for stepping the state machines by hand: a real agent object
// (with its localiser, motion interface and skills) whose world model the
// test sets directly: the play mode and side, the robot's pose, the ball,
// the team-mates nearer the ball. The machines read nothing else. Walk,
// turn and kick requests are read back from the motion interface one at a
// time (`take`), which also frees it for the next request.
#ifndef BREVANE_TESTS_BEHAVIOR_MACHINE_WORLD_H
#define BREVANE_TESTS_BEHAVIOR_MACHINE_WORLD_H

#include <gtest/gtest.h>
#include <sys/time.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>

#include "behavior/hfsm.h"
#include "keyframe/naosimplemove.h"
#include "motioninterface/naomove.h"
#include "skills/NaoBehavior.h"
#include "skills/skills_fixture.h"
#include "support/process_state.h"
#include "support/test_files.h"

// One motion request as the motion interface took it.
struct Request {
    enum Kind { NONE, TRANS, ROT, KICK } kind = NONE;
    double a = 0, b = 0;  // forward and sideways (m), or angle (rad) and centre; kick: foot
};

inline std::ostream& operator<<(std::ostream& os, const Request& r)
{
    static const char* const names[] = {"none", "trans", "rot", "kick"};
    return os << names[r.kind] << "(" << r.a << ", " << r.b << ")";
}

// The clock of the timed phases (the skills tests' clock) moved on by s
// seconds.
inline void advance_clock(double s)
{
    timeval& t = skills_test::fake_now();
    long long us = static_cast<long long>(t.tv_sec) * 1000000 + t.tv_usec + static_cast<long long>(s * 1e6);
    t.tv_sec = static_cast<time_t>(us / 1000000);
    t.tv_usec = static_cast<suseconds_t>(us % 1000000);
}

// The five arm and leg effector strings of a clear-all.
inline const std::string& clear_all_text()
{
    static const std::string s = [] {
        std::stringstream o;
        naosimplemove_t::clearAllEffector(o);
        return o.str();
    }();
    return s;
}

class MachineWorld : public ::testing::Test {
protected:
    static const int kUnum = 2;

    ScratchWorkDir scratch;
    std::unique_ptr<InWorkDir> in_scratch;
    std::unique_ptr<NaoBehavior> agent;

    // A fresh agent of team `team`, standing at (-5, 0) facing the
    // opponent goal with a fresh landmark fix, side +1, before kick-off,
    // the ball unseen.
    void make_agent(const std::string& team = "Probe")
    {
        ASSERT_TRUE(scratch.ok());
        if (!in_scratch) in_scratch.reset(new InWorkDir(scratch.path()));
        reset_agent_process_state();
        skills_test::set_time(1000, 0);
        skill_clock::set_source(&skills_test::fake_clock);
        testing::internal::CaptureStderr();
        agent.reset(new NaoBehavior(kUnum, 0, team));
        agent->Init();
        testing::internal::GetCapturedStderr();
        agent->parse->unum = kUnum;
        agent->parse->play_mode = NaoParse::PM_BEFORE_KICK_OFF;
        side(1);
        pose(-5, 0, 0);
        ball_unseen(Localize_t::MAX_BALL_SEEN_CNT);
    }

    void SetUp() override { make_agent(); }
    void TearDown() override { skill_clock::set_source(nullptr); }

    NaoParse& parse() { return *agent->parse; }
    Localize_t& loc() { return *agent->localize; }
    NaoMove& move() { return *agent->move; }

    void play_mode(int pm) { parse().play_mode = pm; }
    void side(int s)
    {
        parse().side = s;
        loc().side = 0;
        loc().set_side(s);
    }

    // The pose, known since `fix_age` updates without a landmark fix; the
    // odometry agrees with it. The ball's derived values follow it.
    void pose(double x, double y, double heading, int fix_age = 0)
    {
        Localize_t& l = loc();
        l.x = l.odo_x = x;
        l.y = l.odo_y = y;
        l.torso_heading = l.odo_torso_heading = heading;
        l.head_heading = l.odo_head_heading = heading;
        l.no_fix_count = fix_age;
        l.mates[kUnum] = Localize_t::mate_t{kUnum, x, y, heading};
        place_ball(l.ball_gx, l.ball_gy);
    }

    // The ball at (gx, gy) on the field, in view this cycle (head yaw 0:
    // its azimuth is its bearing from the torso).
    void ball_at(double gx, double gy)
    {
        place_ball(gx, gy);
        ball_unseen(0);
    }
    void ball_unseen(int cycles)
    {
        loc().ball_unseen_count = cycles;
        parse().nv.seen[NaoParse::VO_BALL] = cycles == 0;
    }

    // p team-mates stand at the ball (cheaper to it than the robot), none
    // elsewhere.
    void mates_nearer(int p)
    {
        Localize_t& l = loc();
        for (int k = 0; k < Localize_t::NB_MATES; ++k)
            if (k != kUnum) l.mates[k].id = -1;
        for (int k = 0, placed = 0; placed < p; ++k) {
            if (k == kUnum || k == 0) continue;
            l.mates[k] = Localize_t::mate_t{k, l.ball_gx, l.ball_gy, 0.0};
            ++placed;
        }
    }

    void head_yaw_deg(double deg)
    {
        NaoParse::mHingeJointSenseMap[NaoParse::JID_HEAD_1].angle = static_cast<float>(deg);
    }

    // The last request the motion interface took since the previous call
    // (none if it took none), and the interface freed for the next.
    Request take()
    {
        NaoMove& m = move();
        Request r;
        if (m.kick)
            r = {Request::KICK, static_cast<double>(m.kick_type), 0};
        else if (m.trans)
            r = {Request::TRANS, m.trans_fwd, m.trans_side};
        else if (m.rot)
            r = {Request::ROT, m.rot_angle, m.rot_xc};
        m.kick = m.trans = m.rot = false;
        return r;
    }

    // One step of machine m with an empty command stream; the stream's text.
    std::string step(Behavior& m)
    {
        agent->out.str("");
        agent->out.clear();
        m.Apply_behavior();
        return agent->out.str();
    }

private:
    void place_ball(double gx, double gy)
    {
        Localize_t& l = loc();
        l.ball_gx = gx;
        l.ball_gy = gy;
        const double dx = gx - l.x, dy = gy - l.y;
        l.ball_dist = std::hypot(dx, dy);
        l.ball_ground_dist = l.ball_dist;
        l.ball_gdir = std::atan2(dy, dx);
        const double c = std::cos(l.torso_heading), s = std::sin(l.torso_heading);
        l.ball_lx = c * dx + s * dy;
        l.ball_ly = -s * dx + c * dy;
        l.ball_bearing = std::atan2(l.ball_ly, l.ball_lx);
        NaoParse::NaoVis& v = parse().nv;
        v.pol[NaoParse::VO_BALL][0] = l.ball_dist;
        v.pol[NaoParse::VO_BALL][1] = l.ball_bearing * 180.0 / M_PI;
        v.pol[NaoParse::VO_BALL][2] = 0;
    }
};

#endif
