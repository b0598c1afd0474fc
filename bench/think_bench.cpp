// Cost of the agent's think cycle, and the agent's start-up cost.
//
// Run: scripts/bench.sh (all benchmarks), or
//   build/bench/bench_think_bench [--benchmark_filter=Think]
// from any directory. Goals: one Think well under 1 ms while walking (a
// sub-step has 10 ms), the Think of an assist player taking its formation
// place at most 25 us (median), start-up (constructor and Init) under
// 200 ms.
//
// Two kinds of agent:
// - BM_Think_Standing, _Walking, _Kicking, _StandingUp play under the team
//   name "Qorvex-SIe", for which the root state machine never enters the
//   play states, on the recorded play-on messages: the motion that runs is
//   the one the benchmark asks for, while parsing, localisation, the state
//   machine step, the motion interface and the head scan all run as in a
//   match.
// - BM_Think_Play* are robots in play, their state machines deciding: the
//   attacker dribbling towards the ball, the assist player taking its place
//   of the play strategy (its Lua script runs every think), the fallen
//   robot standing up. Their messages join the body of a recorded message
//   (joints, accelerometer, gyroscope, foot pressure) to a built game state
//   and vision (every third message, as the server sends it) of a scene
//   whose numbers are known. The set-up checks that the robot is in the
//   state the benchmark names and ends the program otherwise.
//
// The column "intended" is the share of the timed calls made in the
// measured state; p50_us and p99_us (robots in play) are percentiles of
// single calls.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "behavior/att.h"
#include "behavior/dribble.h"
#include "behavior/hfsm.h"
#include "behavior/play_on.h"
#include "behavior/playing.h"
#include "call_times.h"
#include "motioninterface/naomove.h"
#include "skills/NaoBehavior.h"
#include "support/perception_scene.h"
#include "support/process_state.h"
#include "support/test_files.h"
#include "walk/walk.h"

namespace {

const char* const kIdleTeam = "Qorvex-SIe";

// The motion code reports its parameters on stderr at start-up; keep the
// benchmark table readable.
class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        m_saved = dup(2);
        int null_fd = open("/dev/null", O_WRONLY);
        if (null_fd >= 0) {
            dup2(null_fd, 2);
            close(null_fd);
        }
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (m_saved >= 0) {
            dup2(m_saved, 2);
            close(m_saved);
        }
    }

private:
    int m_saved;
};

// A benchmark whose set-up did not reach the state it measures must not
// print a figure.
void require(bool ok, const char* bench, const char* what)
{
    if (ok) return;
    std::fprintf(stderr, "%s: set-up failed: %s\n", bench, what);
    std::exit(1);
}

std::vector<std::string> play_on_messages()
{
    std::vector<std::string> msgs;
    for (const std::string& line : read_data_lines("server_play_on.txt"))
        if (line.find("(pm PlayOn)") != std::string::npos) msgs.push_back(line);
    return msgs;
}

// The top-level predicates of a message other than the time, the game
// state, vision and the two head joints: the body of a recorded message.
std::string body_of(const std::string& msg)
{
    std::string body;
    size_t i = 0;
    while (i < msg.size()) {
        if (msg[i] != '(') {
            ++i;
            continue;
        }
        size_t end = i;
        for (int depth = 0; end < msg.size(); ++end) {
            if (msg[end] == '(') ++depth;
            if (msg[end] == ')' && --depth == 0) break;
        }
        const std::string pred = msg.substr(i, end + 1 - i);
        const bool skip = pred.rfind("(time", 0) == 0 || pred.rfind("(GS", 0) == 0 ||
                          pred.rfind("(See", 0) == 0 || pred.rfind("(HJ (n hj1)", 0) == 0 ||
                          pred.rfind("(HJ (n hj2)", 0) == 0;
        if (!skip) body += pred;
        i = end + 1;
    }
    return body;
}

// A recorded message of a robot standing still, and one of it lying on its
// back (the last of the fall's recording).
std::string standing_body()
{
    for (const std::string& line : read_data_lines("server_fallen.txt"))
        if (line.find("(a 0.00 -0.00 9.81)") != std::string::npos) return body_of(line);
    return "";
}

std::string lying_body()
{
    const std::vector<std::string> lines = read_data_lines("server_fallen.txt");
    return lines.empty() ? "" : body_of(lines.back());
}

// Six seconds of server messages of a scene, with vision in every third.
std::vector<std::string> scene_messages(Scene scene, const std::string& body)
{
    std::vector<std::string> msgs;
    const double t0 = scene.game_time;
    for (int i = 0; i < 300; ++i) {
        scene.game_time = t0 + 0.02 * i;
        scene.vision = i % 3 == 0;
        msgs.push_back(scene_message(scene) + body);
    }
    return msgs;
}

// One agent and the messages it is given in turn. The motion code keeps
// per-process state: every benchmark run starts from a new process state
// and a new agent.
struct Agent {
    // The agent rewrites "dataWalk/stand3.dat" at start-up: it works in a
    // private directory that sees the parameter and strategy files.
    ScratchWorkDir dir;
    InWorkDir in_dir{dir.path()};
    std::vector<std::string> msgs;
    size_t next = 0;
    std::unique_ptr<NaoBehavior> behavior;

    Agent(int unum, const std::string& team, std::vector<std::string> messages) : msgs(std::move(messages))
    {
        require(!msgs.empty(), "agent", "no messages");
        reset_agent_process_state();
        QuietStderr quiet;
        behavior.reset(new NaoBehavior(unum, 0, team));
        behavior->Init();
        behavior->Think(msgs[0]);  // the init message
    }

    std::string think()
    {
        const std::string& m = msgs[next];
        next = (next + 1) % msgs.size();
        return behavior->Think(m);
    }

    void give(std::vector<std::string> messages)
    {
        msgs = std::move(messages);
        next = 0;
    }

    // Brings the motion interface to rest: a walk the engine no longer has
    // is closed by the interface within two cycles.
    void settle()
    {
        NaoMove* m = behavior->move;
        NaoParse::fall_down_detected = false;
        NaoParse::back_fall_down_detected = false;
        NaoParse::front_fall_down_detected = false;
        for (int i = 0; i < 5000 && m->kick; ++i) think();
        m->walk_engine->ResetWalk();
        for (int i = 0; i < 100 && (m->trans || m->rot); ++i) think();
    }

    // The machines on the path from the root to the playing machine.
    bool in_play() const
    {
        const hfsm& root = *behavior->fsm;
        return root.state == hfsm::PLAY_ON && root.play_on_fsm->state == play_on::PLAYING;
    }
    const playing& playing_fsm() const { return *behavior->fsm->play_on_fsm->playing_fsm; }
};

struct IdleAgent : Agent {
    IdleAgent() : Agent(2, kIdleTeam, play_on_messages()) {}
};

void BM_Think_Standing(benchmark::State& state)
{
    IdleAgent a;
    NaoMove* m = a.behavior->move;
    a.settle();
    double active = 0;
    for (auto _ : state) {
        std::string s = a.think();
        benchmark::DoNotOptimize(s);
        active += !(m->trans || m->rot || m->kick || NaoParse::fall_down_detected);
    }
    state.counters["intended"] = benchmark::Counter(active, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Think_Standing)->Unit(benchmark::kMicrosecond);

void BM_Think_Walking(benchmark::State& state)
{
    IdleAgent a;
    NaoMove* m = a.behavior->move;
    a.settle();
    auto start_walk = [&] {
        m->new_trans2013(1000.0, 0.0);
        for (int i = 0; i < 100 && !m->walking; ++i) a.think();
    };
    start_walk();
    double active = 0;
    for (auto _ : state) {
        if (!m->trans) {
            state.PauseTiming();
            start_walk();
            state.ResumeTiming();
        }
        std::string s = a.think();
        benchmark::DoNotOptimize(s);
        active += m->walking;
    }
    state.counters["intended"] = benchmark::Counter(active, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Think_Walking)->Unit(benchmark::kMicrosecond);

void BM_Think_Kicking(benchmark::State& state)
{
    IdleAgent a;
    NaoMove* m = a.behavior->move;
    a.settle();
    // The stand pose and the clearing cycle before the kick are not timed.
    auto start_kick = [&] {
        m->new_kick2012(NaoMove::KICK_RIGHT);
        for (int i = 0; i < 100 && m->kick && m->motion_cycles < 15 * a.behavior->sub_steps + 2; ++i)
            a.think();
    };
    start_kick();
    double active = 0;
    for (auto _ : state) {
        if (!m->kick || m->kick_done) {
            state.PauseTiming();
            a.settle();
            start_kick();
            state.ResumeTiming();
        }
        std::string s = a.think();
        benchmark::DoNotOptimize(s);
        active += m->kick && !m->kick_done;
    }
    state.counters["intended"] = benchmark::Counter(active, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Think_Kicking)->Unit(benchmark::kMicrosecond);

void BM_Think_StandingUp(benchmark::State& state)
{
    IdleAgent a;
    a.settle();
    double active = 0;
    for (auto _ : state) {
        // The fall stays latched; once a stand-up ends the next one starts.
        NaoParse::fall_down_detected = true;
        NaoParse::back_fall_down_detected = true;
        std::string s = a.think();
        benchmark::DoNotOptimize(s);
        active += NaoParse::fall_down_detected;
    }
    state.counters["intended"] = benchmark::Counter(active, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Think_StandingUp)->Unit(benchmark::kMicrosecond);

// ---- Robots in play ----

const char* const kPlayTeam = "brevane";

// Player 2 on the left side in play, 2 m behind the ball at the centre spot
// and a little to its left, facing the opponent goal, with every landmark
// in view.
Scene play_scene()
{
    Scene s;
    s.unum = 2;
    s.team_name = kPlayTeam;
    s.team_side = "left";
    s.play_mode = "PlayOn";
    s.x = -2.0;
    s.y = 0.5;
    s.heading = 0.0;
    s.ball_x = 0.0;
    s.ball_y = 0.0;
    return s;
}

// An agent in play on the scene: it has taken its first steps of play
// (root machine in play_on, play_on in playing), calls enough for the
// playing machine to have chosen its state.
struct PlayingAgent : Agent {
    explicit PlayingAgent(const Scene& scene, const char* bench)
        : Agent(scene.unum, scene.team_name, scene_messages(scene, standing_body()))
    {
        require(!standing_body().empty(), bench, "no standing message recorded");
        for (int i = 0; i < 60; ++i) think();
        require(in_play(), bench, "the root machine is not in play");
    }
};

// The timed think calls of a robot in play, with the share of them made in
// the state that in_state tells and the percentiles of single calls.
template <class InState>
void think_while(benchmark::State& state, Agent& a, InState in_state)
{
    double active = 0;
    CallTimes times(state);
    for (auto _ : state) {
        times.time([&a] {
            std::string s = a.think();
            benchmark::DoNotOptimize(s);
        });
        active += in_state();
    }
    state.counters["intended"] = benchmark::Counter(active, benchmark::Counter::kAvgIterations);
    times.report(state);
}

// The attacker: no team-mate in view, so it is first at the ball
// (priority 0); it attacks by dribbling and walks to the ball, which stays
// 2 m ahead.
void BM_Think_PlayAttacker(benchmark::State& state)
{
    const char* name = "BM_Think_PlayAttacker";
    PlayingAgent a(play_scene(), name);
    auto attacking = [&a] {
        const playing& p = a.playing_fsm();
        return a.in_play() && p.state == playing::ATT && p.att_fsm->state == att::DRIBBLE &&
               p.att_fsm->dribble_fsm->state == dribble::NOT_AT_BALL;
    };
    require(a.behavior->getBallPriority() == 0, name, "ball priority is not 0");
    require(attacking(), name, "not dribbling towards the ball (play, att, dribble, not_at_ball)");
    require(a.behavior->move->trans, name, "no walk towards the ball");
    think_while(state, a, attacking);
}
BENCHMARK(BM_Think_PlayAttacker)->Unit(benchmark::kMicrosecond);

// The assist player: team-mate 3 stands next to the ball, nearer it than
// the robot, so the robot's ball priority is 1 and it takes the place of
// the play strategy that is second nearest the ball. Its Lua script runs at
// every think.
void BM_Think_PlayAssist(benchmark::State& state)
{
    const char* name = "BM_Think_PlayAssist";
    Scene scene = play_scene();
    scene.players = {ScenePlayer{3, -0.4, 0.1, 0.0, ""}};
    PlayingAgent a(scene, name);
    auto assisting = [&a] { return a.in_play() && a.playing_fsm().state == playing::ASSIST; };
    require(a.behavior->getBallPriority() > 0, name, "ball priority is 0");
    require(assisting(), name, "not in the assist state");
    think_while(state, a, assisting);
    state.counters["compiles"] = a.behavior->play_on_strategy.m_scripts.compiles();
}
BENCHMARK(BM_Think_PlayAssist)->Unit(benchmark::kMicrosecond);

// A robot in play lying on its back: play_on waits in stand_up while the
// motion interface plays the stand-up from the back. When a stand-up ends
// the recorded lying readings latch the next fall.
void BM_Think_PlayGettingUp(benchmark::State& state)
{
    const char* name = "BM_Think_PlayGettingUp";
    const std::string lying = lying_body();
    require(!lying.empty(), name, "no lying message recorded");
    PlayingAgent a(play_scene(), name);
    a.give(scene_messages(play_scene(), lying));
    auto getting_up = [&a] {
        return a.behavior->fsm->state == hfsm::PLAY_ON &&
               a.behavior->fsm->play_on_fsm->state == play_on::STAND_UP && NaoParse::fall_down_detected &&
               NaoParse::back_fall_down_detected && !a.behavior->move->kick;
    };
    for (int i = 0; i < 20 && !getting_up(); ++i) a.think();
    require(getting_up(), name, "not standing up from the back in play_on's stand_up");
    think_while(state, a, getting_up);
}
BENCHMARK(BM_Think_PlayGettingUp)->Unit(benchmark::kMicrosecond);

void BM_StartUp(benchmark::State& state)
{
    IdleAgent a;  // the working directory
    QuietStderr quiet;
    for (auto _ : state) {
        // The agent object is never destroyed in a match; neither is it here.
        NaoBehavior* b = new NaoBehavior(2, 0, kIdleTeam);
        std::string scene = b->Init();
        benchmark::DoNotOptimize(scene);
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

}  // namespace
