"""tools/setpiece_report.py on hand-made trial folders: relay logs of two
robots and the ball with known play modes, and the trainer's request."""
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
import setpiece_report  # noqa: E402

CYCLE = 0.02
SPOT = (-14.0, 0.0)


def write_trial(folder, stretches, placed_at):
    """A trial folder: per (play mode, seconds, {unum: (x, y)}) stretch one
    server message a cycle to each robot with its ground truth and the
    ball's on the spot, and set_piece.json with the game time the trainer
    put the ball there."""
    os.makedirs(folder)
    lines = []
    unums = sorted(stretches[0][2])
    for conn, u in enumerate(unums):
        lines.append({"conn": conn, "dir": "a2s", "msg": "(init (unum %d)(teamname T))" % u})
    t = 0.0
    for pm, seconds, robots in stretches:
        for _ in range(int(round(seconds / CYCLE))):
            for conn, u in enumerate(unums):
                x, y = robots[u]
                lines.append({"conn": conn, "dir": "s2a", "msg": (
                    "(time (now %.2f))(GS (t %.2f)(pm %s))(See (mypos %.2f %.2f 0.54)(myorien 0)"
                    "(ballpos %.2f %.2f 0.04))" % (t + 10, t, pm, x, y, SPOT[0], SPOT[1]))})
            t = round(t + CYCLE, 2)
    with open(os.path.join(folder, "relay.jsonl"), "w") as f:
        for d in lines:
            f.write(json.dumps(d) + "\n")
    with open(os.path.join(folder, "set_piece.json"), "w") as f:
        f.write(json.dumps({"mode": "goal_kick_left", "spot": list(SPOT), "lie": 4.0, "placed_at": placed_at}) + "\n")


FAR = {2: (-11.0, 0.0), 3: (-5.0, 3.0)}      # unum 2 3 m from the spot
AT_BALL = {2: (-14.2, 0.0), 3: (-5.0, 3.0)}  # unum 2 at the ball
NOBODY = {2: (-9.5, 0.0), 3: (-5.0, 3.0)}    # the nearest 4.5 m away


class SetPieceReportTest(unittest.TestCase):
    def test_trials_and_summary(self):
        trials = {
            # An earlier goal kick of the same mode, before the trainer
            # put the ball on the spot, is not the trial's.
            "taken": ([("KickOff_Left", 0.5, FAR), ("PlayOn", 2, FAR), ("goal_kick_left", 3, AT_BALL),
                       ("PlayOn", 3, FAR), ("goal_kick_left", 6, FAR), ("PlayOn", 1, AT_BALL),
                       ("PlayOn", 5, AT_BALL)], 8.0),
            # The server's drop shows one cycle before 15 s.
            "dropped": ([("KickOff_Left", 0.5, FAR), ("PlayOn", 3, FAR), ("goal_kick_left", 14.98, FAR),
                         ("PlayOn", 5, FAR)], 1.0),
            "nobody near, free kick": ([("KickOff_Left", 0.5, NOBODY), ("PlayOn", 3, NOBODY),
                                        ("goal_kick_left", 15, NOBODY), ("PlayOn", 10, NOBODY),
                                        ("free_kick_right", 2, NOBODY), ("PlayOn", 1, NOBODY)], 1.0),
        }
        want = {
            "taken": {"end": "taken", "first_touch": 6.0, "nearest": {"unum": 2, "distance": 3.0}, "near": True,
                      "touched_by": {"unum": 2, "distance": 0.2}, "free_kick_against": None},
            "dropped": {"end": "dropped", "near": True, "touched_by": None},
            "nobody near, free kick": {"end": "dropped", "nearest": {"unum": 2, "distance": 4.5}, "near": False},
        }
        with tempfile.TemporaryDirectory() as d:
            folders = []
            for name, (stretches, placed_at) in trials.items():
                folders.append(os.path.join(d, name))
                write_trial(folders[-1], stretches, placed_at)
            for name, folder in zip(trials, folders):
                with self.subTest(name):
                    r = setpiece_report.trial(folder)
                    self.assertEqual(r["kind"], "goal_kick")
                    self.assertEqual(r["spot"], list(SPOT))
                    for key, value in want[name].items():
                        self.assertEqual(r[key], value, key)
            self.assertEqual(setpiece_report.trial(folders[2])["free_kick_against"]["mode"], "free_kick_right")
            out = io.StringIO()
            with redirect_stdout(out):
                self.assertEqual(setpiece_report.main(folders + [os.path.join(d, "missing"),
                                                                 "--json", os.path.join(d, "s.json")]), 0)
            with open(os.path.join(d, "s.json")) as f:
                summ = json.load(f)["summary"]["goal_kick"]
        self.assertEqual(summ, {"trials": 3, "near": 2, "near_taken": 1, "near_dropped": 1, "taken": 1,
                                "median_first_touch": 6.0, "free_kicks_against": 1})
        self.assertIn("missing: no set piece", out.getvalue())


if __name__ == "__main__":
    unittest.main()
