"""tools/fall_causes.py on a hand-made match folder: a trace in which
robots fall in known situations, and player logs that tell of their kicks
and stand-ups."""
import gzip
import io
import json
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import fall_causes  # noqa: E402

STEP = 0.04
END = 16.0


def falling(t, at):
    """(up, z) of a robot that begins to fall at `at` and lies 0.2 s later;
    `at` may be a list of (fall, rise) times."""
    for fall, rise in at:
        if fall <= t < fall + 0.2:
            return 0.8, 0.33
        if fall + 0.2 <= t < rise:
            return 0.3, 0.1
    return 1.0, 0.38


# side, unum, position at time t, fall and rise times
ROBOTS = [
    ("left", 1, lambda t: (0.0, 0.0), [(2.0, 3.0)]),          # next to team-mate 2
    ("left", 2, lambda t: (0.3, 0.05), []),
    ("left", 3, lambda t: (5.0, 0.0), [(4.0, 5.0)]),          # next to opponent 1
    ("right", 1, lambda t: (5.25, 0.1), []),
    ("left", 4, lambda t: (10.0, 0.0), [(1.0, 1.5), (6.0, 7.0)]),  # the second fall during its stand-up
    ("left", 5, lambda t: (-10.0, 0.0), [(8.0, 9.0)]),        # after a kick
    ("left", 6, lambda t: (-5.0 + 0.2 * t, 5.0), [(10.0, 16.0)]),  # walking alone
    ("left", 7, lambda t: (-10.0, -5.0), [(12.0, 13.0)]),     # standing alone
    ("right", 2, lambda t: (-10.6, -5.0), []),                # 0.6 m from it: no collision
]

LOGS = {
    ("left", 4): "[1.10] fall detected (back)\n[6.50] stand-up ended\n",
    ("left", 5): "walk start-up lines\n[7.00] kick started (left foot)\n[7.60] kick ended\n",
}


def make_folder(tmp):
    with gzip.open(os.path.join(tmp, "trace.jsonl.gz"), "wt") as f:
        f.write(json.dumps({"trace": 1, "robot_fields": ["side", "unum", "x", "y", "z", "up", "facing"]}) + "\n")
        t = 0.0
        while t <= END:
            rows = []
            for side, unum, pos, falls in ROBOTS:
                up, z = falling(t, falls)
                x, y = pos(t)
                rows.append([side, unum, round(x, 3), round(y, 3), z, up, 0.0])
            f.write(json.dumps({"t": round(t, 2), "half": 1, "pm": "PlayOn", "ball": [0, 0, 0.04],
                                "robots": rows}) + "\n")
            t = round(t + STEP, 6)
        f.write('{"t": 16.04, "half"')  # cut short by the end of the match
    for side, team in (("left", "L"), ("right", "R")):
        d = os.path.join(tmp, "%s-%s" % (side, team))
        os.makedirs(d)
        for s, unum, _, _ in ROBOTS:
            if s == side:
                with open(os.path.join(d, "player-%d.log" % unum), "w") as f:
                    f.write(LOGS.get((s, unum), ""))


class FallCausesTest(unittest.TestCase):
    def classify(self, use_logs=True):
        with tempfile.TemporaryDirectory() as tmp:
            make_folder(tmp)
            return fall_causes.classify_folder(tmp, use_logs)

    def test_each_fall_gets_its_cause(self):
        falls, teams = self.classify()
        self.assertEqual(teams, {"left": "L", "right": "R"})
        got = [(f["unum"], f["cause"]) for f in falls]
        self.assertEqual(got, [(4, "other"), (1, "teammate"), (3, "opponent"), (4, "standup"), (5, "kick"),
                               (6, "walking"), (7, "other")])
        by = {(f["unum"], f["cause"]): f for f in falls}
        # The fall starts at the last upright frame before it.
        self.assertAlmostEqual(by[(1, "teammate")]["onset"], 2.0 - STEP, places=6)
        self.assertAlmostEqual(by[(1, "teammate")]["time"], 2.2, places=6)
        self.assertEqual((by[(3, "opponent")]["nearest"]["side"], by[(3, "opponent")]["nearest"]["unum"]),
                         ("right", 1))
        self.assertAlmostEqual(by[(7, "other")]["nearest"]["distance"], 0.6, places=3)
        self.assertAlmostEqual(by[(6, "walking")]["speed"], 0.2, places=3)

    def test_counts_and_report(self):
        falls, teams = self.classify()
        counts = fall_causes.counts(falls)
        self.assertEqual(counts["left"], {"teammate": 1, "opponent": 1, "standup": 1, "kick": 1, "walking": 1,
                                          "other": 2})
        self.assertEqual(sum(counts["right"].values()), 0)
        out = io.StringIO()
        fall_causes.report(falls, teams, out=out)
        lines = out.getvalue().splitlines()
        self.assertEqual(lines[0].split(), ["falls", "by", "cause", "L", "R"])
        self.assertEqual(lines[1].split()[-2:], ["1", "0"])   # team-mate
        self.assertEqual(lines[-1].split(), ["total", "7", "0"])

    def test_without_the_logs_a_fall_soon_after_rising_is_during_a_stand_up(self):
        falls, _ = self.classify(use_logs=False)
        got = {(f["unum"], f["cause"]) for f in falls}
        # Player 4 rose at 1.5 s and fell again at 6 s: too late to count;
        # the kick of player 5 is known only from its log.
        self.assertIn((4, "other"), got)
        self.assertIn((5, "other"), got)
        self.assertNotIn((4, "standup"), got)


if __name__ == "__main__":
    unittest.main()
