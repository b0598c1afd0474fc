"""tools/restart_report.py on hand-made traces: stretches of play modes
with known ends, robots near or far from the ball, and a clock that stands
still."""
import gzip
import io
import json
import os
import sys
import tempfile
import unittest
from contextlib import redirect_stdout

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import restart_report  # noqa: E402

STEP = 0.04


def trace(stretches, robots=None, still=()):
    """Rows of a trace: per (play mode, seconds) stretch one row every STEP
    with the ball at the centre; robots a list of [side, unum, x, y]. The
    clock stands still in the play modes of `still`."""
    robots = robots or [["left", 1, -0.3, 0.0], ["right", 1, 3.0, 0.0]]
    rows = []
    t = 0.0
    for pm, seconds in stretches:
        for _ in range(int(round(seconds / STEP))):
            rows.append({"t": round(t, 3), "half": 1, "pm": pm, "ball": [0.0, 0.0, 0.042],
                         "robots": [[s, u, x, y, 0.38, 1.0, 0.0] for s, u, x, y in robots]})
            if pm not in still and pm != "BeforeKickOff":
                t += STEP
    return rows


class RestartsTest(unittest.TestCase):
    CASES = [
        # name, stretches, what the first restart should show
        ("taken kick-off at the start",
         [("BeforeKickOff", 1), ("KickOff_Left", 4.0), ("PlayOn", 5)],
         {"mode": "KickOff_Left", "after": "half start", "end": "taken", "first_touch": 4.0, "near": True}),
        ("kick-off after a goal",
         [("PlayOn", 2), ("Goal_Right", 3), ("KickOff_Left", 2.0), ("PlayOn", 5)],
         {"after": "goal", "end": "taken", "first_touch": 2.0}),
        ("dropped kick-in",
         [("PlayOn", 2), ("KickIn_Right", 15.04), ("PlayOn", 5)],
         {"mode": "KickIn_Right", "side": "right", "end": "dropped", "near": True}),
        ("drop seen a cycle before 15 s, the mode's first message late",
         [("PlayOn", 2), ("goal_kick_left", 14.96), ("PlayOn", 5)],
         {"end": "dropped"}),
        ("touch just before the drop",
         [("PlayOn", 2), ("corner_kick_left", 14.8), ("PlayOn", 5)],
         {"end": "taken", "first_touch": 14.8}),
        ("interrupted by a goal",
         [("PlayOn", 2), ("free_kick_left", 3), ("Goal_Left", 3), ("KickOff_Right", 1), ("PlayOn", 2)],
         {"mode": "free_kick_left", "end": "interrupted", "by": "Goal_Left"}),
        ("unfinished at the end",
         [("PlayOn", 2), ("goal_kick_right", 3)],
         {"end": "unfinished"}),
    ]

    def test_cases(self):
        for name, stretches, want in self.CASES:
            with self.subTest(name):
                found = restart_report.restarts(trace(stretches))
                self.assertTrue(found)
                for key, value in want.items():
                    self.assertAlmostEqual(found[0][key], value, places=2) if isinstance(value, float) \
                        else self.assertEqual(found[0][key], value, key)

    def test_free_kick_against_within_20_s(self):
        for gap, expect in ((19.0, True), (21.0, False)):
            with self.subTest(gap=gap):
                found = restart_report.restarts(trace([
                    ("KickOff_Left", 3), ("PlayOn", gap), ("free_kick_right", 2), ("PlayOn", 2)]))
                self.assertEqual(found[0]["free_kick_against"] is not None, expect)
        # A free kick for the own side is not one against it.
        found = restart_report.restarts(trace([("KickOff_Left", 3), ("PlayOn", 2), ("free_kick_left", 2),
                                               ("PlayOn", 2)]))
        self.assertIsNone(found[0]["free_kick_against"])

    def test_nobody_near(self):
        found = restart_report.restarts(trace([("PlayOn", 1), ("KickIn_Left", 3), ("PlayOn", 1)],
                                              robots=[["left", 2, 6.0, 0.0], ["right", 1, 0.5, 0.0]]))
        self.assertFalse(found[0]["near"])
        self.assertEqual(found[0]["nearest"]["unum"], 2)

    def test_clock_standing_still_still_counts_the_wait(self):
        found = restart_report.restarts(trace([("PlayOn", 2), ("KickIn_Left", 15.04), ("PlayOn", 2)],
                                              still=("KickIn_Left",)))
        self.assertEqual(found[0]["end"], "dropped")

    def test_summary_and_json(self):
        rows = trace([("BeforeKickOff", 1), ("KickOff_Left", 4.0), ("PlayOn", 5), ("KickIn_Left", 15.04),
                      ("PlayOn", 2), ("free_kick_right", 2), ("PlayOn", 2), ("KickIn_Right", 2), ("PlayOn", 1)])
        with tempfile.TemporaryDirectory() as d:
            with gzip.open(os.path.join(d, "trace.jsonl.gz"), "wt") as f:
                f.write(json.dumps({"trace": 1}) + "\n")
                for r in rows:
                    f.write(json.dumps(r) + "\n")
            out = io.StringIO()
            with redirect_stdout(out):
                self.assertEqual(restart_report.main([d, "--json", os.path.join(d, "r.json")]), 0)
            with open(os.path.join(d, "r.json")) as f:
                summ = json.load(f)["summary"]
        self.assertEqual(summ["left"]["kick_offs_taken"], [4.0])
        self.assertEqual(summ["left"]["other_dropped"], 1)
        self.assertEqual(summ["left"]["free_kicks_against_after_own"], 1)
        self.assertEqual(summ["right"]["other_taken"], 2)
        self.assertIn("summary left: kick-offs 1 taken (first touch 4.00 s), 0 dropped", out.getvalue())


if __name__ == "__main__":
    unittest.main()
