"""The match runner without a server: its options, the per-team figures and
the course of a match (kick-offs, half time, the end) against a scripted
monitor."""
import io
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

    def robots(self):
        return [robot("left", 1, 1.0)]

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
