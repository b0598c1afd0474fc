// An agent object with its localiser and motion interface, fed with
// hand-built perceptions, and a clock the tests set.
#ifndef BREVANE_TESTS_SKILLS_SKILLS_FIXTURE_H
#define BREVANE_TESTS_SKILLS_SKILLS_FIXTURE_H

#include <gtest/gtest.h>

#include <sys/time.h>

#include <cmath>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "keyframe/naosimplemove.h"
#include "motioninterface/naomove.h"
#include "skills/NaoBehavior.h"
#include "support/perception_scene.h"
#include "support/process_state.h"
#include "support/test_files.h"
#include "world/localize.h"

namespace skills_test {

const double kPi = 3.141592653589793;

// The time of day the skills read.
inline timeval& fake_now()
{
    static timeval now{};
    return now;
}

inline void fake_clock(timeval* tv) { *tv = fake_now(); }

inline void set_time(long sec, long usec)
{
    fake_now().tv_sec = sec;
    fake_now().tv_usec = usec;
}

// What reached the motion interface during one skill call.
struct Reached {
    bool trans = false, rot = false, kick = false;
    double fwd = 0, side = 0, angle = 0;
};

class SkillsTest : public ::testing::Test {
protected:
    // The motion interface rewrites "dataWalk/stand3.dat" at start-up: each
    // test works in a private directory.
    ScratchWorkDir scratch;
    std::unique_ptr<InWorkDir> in_scratch;
    // The agent has no virtual destructor: it is held in place, never
    // deleted through a pointer.
    std::optional<NaoBehavior> holder;
    NaoBehavior* agent = nullptr;
    Scene scene;
    bool perceived = false;
    bool thought = false;  // think_message has run since restart()

    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        in_scratch.reset(new InWorkDir(scratch.path()));
        skill_clock::set_source(fake_clock);
        restart();
    }

    // A new agent in a new process state, as after the program's start.
    void restart()
    {
        holder.reset();
        reset_agent_process_state();
        set_time(100000, 0);
        testing::internal::CaptureStderr();  // start-up reports
        holder.emplace(scene.unum, 0, scene.team_name);
        agent = &*holder;
        agent->Init();
        agent->Think("");  // the init answer
        testing::internal::GetCapturedStderr();
        perceived = false;
        thought = false;
    }

    void TearDown() override
    {
        skill_clock::set_source(nullptr);
        holder.reset();
        in_scratch.reset();
    }

    // One think call's world update from the scene, as Think does it before
    // the state machine runs. With `same_call` the update belongs to the
    // think call of the previous one.
    void perceive(bool same_call = false)
    {
        if (perceived && !same_call) ++agent->think_count;
        perceived = true;
        agent->parse->Parse(scene_message(scene), agent->think_count);
        if (agent->localize->side == 0 && agent->parse->side != 0)
            agent->localize->set_side(agent->parse->side);
        agent->localize->update(*agent->parse, *agent->move);
        agent->watch_kick_off();
        agent->avoid_crowding_ball();
    }

    void perceive_times(int n)
    {
        for (int i = 0; i < n; ++i) perceive();
    }

    // One server message of the scene, a cycle after the last, answered as
    // the cycle loop answers it: a whole think call per sub-step on the
    // same text. The first message after restart() has its init answer
    // already: it is thought once more.
    void think_message()
    {
        scene.game_time += 0.02;
        const std::string msg = scene_message(scene);
        const int thinks = thought ? agent->sub_steps : agent->sub_steps - 1;
        for (int i = 0; i < thinks; ++i) agent->Think(msg);
        thought = true;
    }

    void think_messages(int n)
    {
        for (int i = 0; i < n; ++i) think_message();
    }

    // The robot of the team playing from `side` at (x, y), facing `heading`.
    void place(const char* side, double x, double y, double heading)
    {
        scene.team_side = side;
        scene.x = x;
        scene.y = y;
        scene.heading = heading;
    }

    void ball_at(double x, double y)
    {
        scene.ball = true;
        scene.ball_x = x;
        scene.ball_y = y;
    }

    // Places the ball at (lx, ly) in the robot's torso frame.
    void ball_at_local(double lx, double ly)
    {
        scene.ball = true;
        scene_local_to_field(scene, lx, ly, scene.ball_x, scene.ball_y);
    }

    // A player at (lx, ly) in the robot's torso frame.
    ScenePlayer player_at_local(int id, double lx, double ly, const std::string& team = "")
    {
        ScenePlayer p{id, 0, 0, 0, team};
        scene_local_to_field(scene, lx, ly, p.x, p.y);
        return p;
    }

    // Drives the motion interface from standing until the walk engine
    // runs: from then on it takes every walk and turn request at once.
    void start_walking()
    {
        agent->move->new_trans2013(0.3, 0.0);
        std::stringstream out;
        for (int i = 0; i < 15 * agent->sub_steps + 3 && !agent->move->walking; ++i)
            agent->move->update(out, agent->sub_steps);
        ASSERT_TRUE(agent->move->walking);
    }

    // Runs `f` and reports what the motion interface took meanwhile. Every
    // request it takes restarts its motion-cycle count, which is marked
    // beforehand.
    template <class F>
    Reached reached(F f)
    {
        NaoMove& m = *agent->move;
        m.motion_cycles = -1;
        f();
        Reached r;
        if (m.motion_cycles != 0) return r;
        // A request taken while walking closes the motion of the other kind.
        r.kick = m.kick;
        r.trans = !m.kick && m.trans && !m.rot;
        r.rot = !m.kick && m.rot && !m.trans;
        r.fwd = m.trans_fwd;
        r.side = m.trans_side;
        r.angle = m.rot_angle;
        return r;
    }

    // Plays the active kick to its end.
    void finish_kick()
    {
        std::stringstream out;
        for (int i = 0; i < 5000 && agent->move->kick; ++i) agent->move->update(out, agent->sub_steps);
        ASSERT_FALSE(agent->move->kick);
        ASSERT_TRUE(agent->move->kick_done);
    }
};

}  // namespace skills_test

#endif
