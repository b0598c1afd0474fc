"""The match runner without a server: its options, the per-team figures and
the course of a match (kick-offs, half time, the end) against a scripted
monitor."""
import gzip
import io
import json
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import match  # noqa: E402
import simmonitor as sm  # noqa: E402

UP, Z = 1.0, 0.38


def robot(side, unum, x, up=UP, z=Z):
    return sm.Robot(side, unum, (x, 0.0, z), up)


class OptionsTest(unittest.TestCase):
    def test_defaults(self):
        a = match.parse_args([])
        self.assertEqual((a.left, a.right, a.left_team, a.right_team, a.players, a.seconds),
                         ("brevane", "brevane-b", "brevane", "brevane-b", 11, None))

    def test_same_program_gets_a_second_name(self):
        a = match.parse_args(["--left", "brevane", "--right", "brevane"])
        self.assertEqual((a.left_team, a.right_team), ("brevane", "brevane-2"))

    def test_refused(self):
        for argv in (["--players", "0"], ["--players", "12"], ["--seconds", "0"],
                     ["--left-team", "a b"], ["--left-team", "x", "--right-team", "x"],
                     ["--right-team", ".."], ["--left", "brevane-run"]):
            with self.assertRaises(SystemExit, msg=argv) as cm, \
                    open(os.devnull, "w") as devnull:
                stderr, sys.stderr = sys.stderr, devnull
                try:
                    match.parse_args(argv)
                finally:
                    sys.stderr = stderr
            self.assertEqual(cm.exception.code, 2, argv)


class FiguresTest(unittest.TestCase):
    def test_a_fall_counts_once_until_the_robot_stands_again(self):
        f = match.Figures()
        f.start([robot("left", 1, -1)])
        seq = [(UP, Z), (0.5, 0.3), (0.1, 0.1), (0.7, 0.3),   # down, half up: one fall
               (0.95, 0.37), (0.3, 0.2),                       # up, down again: two
               (0.95, 0.37), (0.97, 0.15)]                     # sitting low: three
        for i, (up, z) in enumerate(seq):
            f.update(i * 0.04, [robot("left", 1, -1, up, z)])
        self.assertEqual(f.falls, {"left": 3, "right": 0})

    def test_lying_at_the_start_is_no_fall(self):
        f = match.Figures()
        f.start([robot("right", 2, 1, 0.0, 0.1)])
        f.update(0.0, [robot("right", 2, 1, 0.0, 0.1)])
        f.update(0.1, [robot("right", 2, 1, 0.95, 0.37)])
        f.update(0.2, [robot("right", 2, 1, 0.1, 0.1)])
        self.assertEqual(f.falls["right"], 1)

    def test_time_in_the_opponent_half_per_side(self):
        f = match.Figures()
        # Left attacks +x, right attacks -x; two left robots over the line.
        robots = [robot("left", 1, 2.0), robot("left", 2, 0.5), robot("left", 3, -4.0),
                  robot("right", 1, -0.1), robot("right", 2, 3.0)]
        for i in range(11):
            f.update(i * 0.5, robots)     # 5 s of game time
        self.assertAlmostEqual(f.opponent_half["left"], 10.0)
        self.assertAlmostEqual(f.opponent_half["right"], 5.0)

    def test_stopped_or_jumping_clock_adds_nothing(self):
        f = match.Figures()
        r = [robot("left", 1, 5.0)]
        for t in (0.0, 1.0, 1.0, 1.0, 295.0, 295.5, 290.0):
            f.update(t, r)
        self.assertAlmostEqual(f.opponent_half["left"], 1.5)


    def test_falls_by_player_and_by_minute(self):
        f = match.Figures()
        f.start([robot("left", n, -1) for n in (1, 2, 3)] + [robot("right", 1, 1)])
        # (game time, side, unum) of each fall; every robot stands again
        # 0.5 s later.
        falls = [(10.0, "left", 1), (70.0, "left", 1), (75.0, "left", 2), (130.0, "right", 1)]
        down = {}
        t = 0.0
        while t <= 180.0:
            for ft, side, n in falls:
                if abs(t - ft) < 1e-9:
                    down[(side, n)] = True
                elif abs(t - ft - 0.5) < 1e-9:
                    down[(side, n)] = False
            rs = [robot(side, n, -1 if side == "left" else 1, *((0.1, 0.1) if down.get((side, n)) else (UP, Z)))
                  for side, n in (("left", 1), ("left", 2), ("left", 3), ("right", 1))]
            f.update(t, rs)
            t = round(t + 0.5, 6)
        self.assertEqual(f.falls_by_player("left", 3), {1: 2, 2: 1, 3: 0})
        self.assertEqual(f.falls_by_player("right", 2), {1: 1, 2: 0})
        self.assertEqual(f.falls_by_minute("left"), [1, 2, 0])
        self.assertEqual(f.falls_by_minute("right"), [0, 0, 1])
        self.assertEqual([(t, s, n) for t, s, n in f.fall_list], falls)

    def test_the_last_minute_is_not_split_by_a_late_message(self):
        f = match.Figures()
        f.start([robot("left", 1, -1)])
        for t in (0.0, 0.5, 599.6, 600.0, 600.02):
            f.update(t, [robot("left", 1, -1, *((0.1, 0.1) if t >= 600.0 else (UP, Z)))])
        self.assertEqual(f.falls_by_minute("left"), [0] * 9 + [1])

    def test_set_pieces_count_once_against_the_other_side(self):
        f = match.Figures()
        f.start([], "KickIn_Left")  # a set piece under way when counting starts: not counted
        modes = ["KickIn_Left", "PlayOn", "KickIn_Left", "KickIn_Left", "PlayOn", "free_kick_right",
                 "PlayOn", "corner_kick_left", "goal_kick_right", "direct_free_kick_left", "Goal_Left",
                 "KickOff_Right", "offside_left", "PlayOn"]
        for i, pm in enumerate(modes):
            f.update(float(i), [], pm)
        self.assertEqual([(pm, kind, against) for _, pm, kind, against in f.set_pieces],
                         [("KickIn_Left", "kick_in", "right"), ("free_kick_right", "free_kick", "left"),
                          ("corner_kick_left", "corner_kick", "right"), ("goal_kick_right", "goal_kick", "left"),
                          ("direct_free_kick_left", "free_kick", "right")])
        self.assertEqual(f.set_pieces_against("left"),
                         {"free_kick": 1, "kick_in": 0, "corner_kick": 0, "goal_kick": 1})
        self.assertEqual(f.set_pieces_against("right"),
                         {"free_kick": 1, "kick_in": 1, "corner_kick": 1, "goal_kick": 0})


class RecordedMonitorTest(unittest.TestCase):
    """Messages of the real server's monitor port while a trainer set the
    play modes PlayOn, KickIn_Left, PlayOn, free_kick_right, PlayOn,
    corner_kick_left, goal_kick_right, direct_free_kick_left and PlayOn."""

    def test_set_pieces_by_side_in_the_result(self):
        args = match.parse_args(["--left-team", "L", "--right-team", "R", "--players", "1"])
        with tempfile.TemporaryDirectory() as tmp:
            os.environ["BREVANE_LOGS"] = tmp
            m = match.Match(args, out=io.StringIO())
            m.monitor = sm.Monitor()
            m.monitor.on_message = m.on_message
            with open(os.path.join(ROOT, "tests", "data", "monitor", "set_pieces.txt")) as f:
                lines = f.read().split("\n")
            first = True
            for line in lines:
                if not line:
                    continue
                m.monitor.handle(line)
                if first:
                    m.figures.start(m.monitor.scene.robots(), m.monitor.state.play_mode)
                    first = False
            res = m.result()
            m.print_result(res)
        by_side = {t["side"]: t["set_pieces_against"] for t in res["teams"]}
        self.assertEqual(by_side["left"], {"free_kick": 1, "kick_in": 0, "corner_kick": 0, "goal_kick": 1})
        self.assertEqual(by_side["right"], {"free_kick": 1, "kick_in": 1, "corner_kick": 1, "goal_kick": 0})
        self.assertEqual([p["play_mode"] for p in res["set_pieces"]],
                         ["KickIn_Left", "free_kick_right", "corner_kick_left", "goal_kick_right",
                          "direct_free_kick_left"])
        out = m.out.getvalue()
        self.assertIn("set pieces against L: 1 free kicks, 0 kick-ins, 0 corner kicks, 1 goal kicks", out)
        self.assertIn("set pieces against R: 1 free kicks, 1 kick-ins, 1 corner kicks, 0 goal kicks", out)


class ScriptedMonitor:
    """Game states (half, time, play mode[, left score, right score]) in
    turn, one per poll; what the match sends is kept."""

    def __init__(self, states, clock):
        self.states = list(states)
        self.state = sm.GameState()
        self.state.team_left, self.state.team_right = "L", "R"
        self.scene = self
        self.sent = []
        self.messages = 0
        self.clock = clock
        self.on_message = None

    def robots(self):
        return [robot("left", 1, 1.0)]

    def ball(self):
        return (0.0, 0.0, 0.042)

    def send(self, cmd):
        self.sent.append((self.clock.now, cmd))

    def poll(self, seconds):
        self.clock.now += seconds
        if self.states:
            half, t, pm, *score = self.states.pop(0)
            self.state.half, self.state.time = half, t
            if score:
                self.state.score_left, self.state.score_right = score
            self.state.play_mode_index = self.state.play_modes.index(pm)
            self.messages += 1
            if self.on_message is not None:
                self.on_message()
        return 1

    def close(self):
        pass


class Clock:
    def __init__(self):
        self.now = 100.0

    def __call__(self):
        return self.now


def run_play(states, argv=()):
    clock = Clock()
    args = match.parse_args(["--left-team", "L", "--right-team", "R", *argv])
    with tempfile.TemporaryDirectory() as tmp:
        os.environ["BREVANE_LOGS"] = tmp
        m = match.Match(args, out=io.StringIO(), clock=clock)
        m.monitor = ScriptedMonitor(states, clock)
        m.play()
    return m


class CourseTest(unittest.TestCase):
    def test_full_match(self):
        states = ([(1, 0.0, "BeforeKickOff")] + [(1, 0.1 * i, "PlayOn") for i in range(1, 30)] +
                  [(2, 300.0, "BeforeKickOff")] * 40 +          # 4 s of half time
                  [(2, 300.0 + 0.1 * i, "PlayOn") for i in range(1, 30)] + [(2, 600.0, "GameOver")])
        m = run_play(states)
        cmds = [c for _, c in m.monitor.sent]
        self.assertEqual(cmds, ["(kickOff Left)", "(kickOff Right)"])
        half_time_start = 100.0 + 0.1 * 31
        self.assertGreaterEqual(m.monitor.sent[1][0], half_time_start + 3.0 - 1e-9)
        self.assertEqual(m.end, "game over")
        self.assertIn("half time", m.out.getvalue())

    def test_goals_are_told(self):
        m = run_play([(1, 0.0, "BeforeKickOff"), (1, 1.0, "PlayOn"), (1, 2.0, "Goal_Right", 0, 1),
                      (1, 3.0, "PlayOn", 0, 1), (1, 4.0, "Goal_Left", 1, 1), (1, 5.0, "PlayOn", 1, 1)],
                     ["--seconds", "5"])
        out = m.out.getvalue()
        self.assertIn("goal for R at 2.0 s: L 0 : 1 R", out)
        self.assertIn("goal for L at 4.0 s: L 1 : 1 R", out)
        self.assertEqual(out.count("goal for"), 2)
        self.assertEqual([t["goals"] for t in m.result()["teams"]], [1, 1])

    def test_lost_kick_off_is_sent_again(self):
        m = run_play([(1, 0.0, "BeforeKickOff")] * 25 + [(1, 1.0, "PlayOn"), (1, 5.0, "PlayOn")],
                     ["--seconds", "4"])
        self.assertEqual([c for _, c in m.monitor.sent], ["(kickOff Left)"] * 2)
        self.assertEqual(m.end, "--seconds 4")

    def test_silent_server_ends_the_match(self):
        clock = Clock()
        m = match.Match(match.parse_args([]), out=io.StringIO(), clock=clock)
        m.monitor = ScriptedMonitor([(1, 0.0, "BeforeKickOff")], clock)
        err, sys.stderr = sys.stderr, io.StringIO()
        try:
            with self.assertRaises(SystemExit) as cm:
                m.play()
            said = sys.stderr.getvalue()
        finally:
            sys.stderr = err
        self.assertEqual(cm.exception.code, 1)
        self.assertIn("sent nothing", said)

    def test_falls_per_player_and_minute_in_the_result_and_the_trace(self):
        clock = Clock()
        args = match.parse_args(["--left-team", "L", "--right-team", "R", "--players", "2", "--seconds", "90"])
        states = [(1, 0.0, "BeforeKickOff")] + [(1, 1.0 * i, "PlayOn") for i in range(1, 91)]
        with tempfile.TemporaryDirectory() as tmp:
            os.environ["BREVANE_LOGS"] = tmp
            m = match.Match(args, out=io.StringIO(), clock=clock)
            m.monitor = ScriptedMonitor(states, clock)
            # Player 2 of L lies from 30 s to 31 s and from 70 s to 71 s.
            m.monitor.robots = lambda: [robot("left", 1, -1.0),
                                        robot("left", 2, -2.0, *((0.1, 0.1) if int(m.monitor.state.time) in (30, 70)
                                                                else (UP, Z))),
                                        robot("right", 1, 1.0)]
            m.play()
            res = m.result()
            m.print_result(res)
            with gzip.open(res["trace"], "rt") as f:
                trace = [json.loads(line) for line in f]
        left = res["teams"][0]
        self.assertEqual(left["falls"], 2)
        self.assertEqual(left["falls_by_player"], {"1": 0, "2": 2})
        self.assertEqual(left["falls_by_minute"], [1, 1])
        self.assertAlmostEqual(left["falls_per_minute"], 2 / 1.5, places=2)
        self.assertAlmostEqual(left["falls_per_robot_minute"], 2 / 3.0, places=3)
        self.assertEqual([(f["time"], f["unum"]) for f in res["falls"]], [(30.0, 2), (70.0, 2)])
        out = m.out.getvalue()
        self.assertIn("falls of L by player: 1:0 2:2", out)
        self.assertIn("falls of L by minute of game time: 1 1", out)
        # The trace: its fields, then one record per game time from the kick-off.
        self.assertEqual(trace[0]["robot_fields"], match.Trace.FIELDS)
        self.assertEqual([r["t"] for r in trace[1:]], [0.0] + [float(i) for i in range(1, 91)])
        lying = [r["t"] for r in trace[1:] for row in r["robots"] if row[:2] == ["left", 2] and row[5] < 0.5]
        self.assertEqual(lying, [30.0, 70.0])

    def test_result_figures(self):
        m = run_play([(1, 0.0, "BeforeKickOff"), (1, 0.5, "PlayOn"), (1, 1.0, "PlayOn"),
                      (1, 1.5, "PlayOn")], ["--seconds", "1.5"])
        res = m.result()
        left = res["teams"][0]
        self.assertEqual((left["team"], left["program"], left["goals"], left["falls"]),
                         ("L", "brevane", 0, 0))
        self.assertAlmostEqual(left["opponent_half_player_seconds"], 1.5)
        self.assertEqual(res["result"], "L 0 : 0 R")


class StatusTest(unittest.TestCase):
    def test_signals_named(self):
        self.assertEqual(match.describe_status("0"), "0")
        self.assertEqual(match.describe_status("134"), "134, SIGABRT")
        self.assertEqual(match.describe_status("?"), "?")


if __name__ == "__main__":
    unittest.main()
