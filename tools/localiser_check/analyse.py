#!/usr/bin/env python3
"""Error figures of a localiser_check run: the localiser's pose and ball
estimate against the server's ground truth, per phase (stand, turn, walk).

    tools/localiser_check/analyse.py RUN.tsv [--all]

Rows are taken at messages with vision (the truth is fresh there); --all
also takes the messages in between, against the truth of the last vision.
mypos is the camera, as is the localiser's fix. myorien is the camera's
heading; the torso's true heading is that less the head yaw of the same
message, and it is what the localiser's torso heading is compared with (in
the messages between visions against the last vision's, as the torso
hardly turns in 40 ms while the head may).
"""
import csv
import math
import statistics
import sys


def wrap(a):
    return math.remainder(a, 2 * math.pi)


def figures(values):
    if not values:
        return "      -"
    values = sorted(values)
    p95 = values[min(len(values) - 1, int(0.95 * len(values)))]
    return "%7.3f %7.3f %7.3f  (n=%d)" % (statistics.median(values), p95, values[-1], len(values))


def main():
    path = sys.argv[1]
    take_all = "--all" in sys.argv[2:]
    rows = list(csv.DictReader(open(path), delimiter="\t"))
    by_phase = {}
    torso_truth = 0.0
    for r in rows:
        f = {k: float(v) for k, v in r.items() if k != "phase"}
        if f["vision"] == 1:
            torso_truth = math.radians(f["torien"] - f["yaw"])
        if r["phase"] not in ("stand", "turn", "walk"):
            continue
        if not take_all and r["vision"] != "1":
            continue
        p = by_phase.setdefault(r["phase"], {"pos_fix": [], "pos_odo": [], "head_fix": [], "head_odo": [],
                                             "ball_g": [], "ball_l": [], "ball_d": [], "n": 0, "fixes": 0})
        p["n"] += 1
        e_pos = math.hypot(f["x"] - f["tx"], f["y"] - f["ty"])
        e_head = abs(wrap(f["torso"] - torso_truth))
        kind = "fix" if f["fix"] == 1 else "odo"
        p["fixes"] += f["fix"] == 1
        p["pos_" + kind].append(e_pos)
        p["head_" + kind].append(math.degrees(e_head))
        if f["ball_unseen"] == 0:
            p["ball_g"].append(math.hypot(f["bgx"] - f["tbx"], f["bgy"] - f["tby"]))
            h = torso_truth
            dx, dy = f["tbx"] - f["tx"], f["tby"] - f["ty"]
            lx = math.cos(h) * dx + math.sin(h) * dy
            ly = -math.sin(h) * dx + math.cos(h) * dy
            p["ball_l"].append(math.hypot(f["blx"] - lx, f["bly"] - ly))
            p["ball_d"].append(math.hypot(f["blx"], f["bly"]) - math.hypot(lx, ly))
    print("%s (%s)" % (path, "all messages" if take_all else "vision messages"))
    print("%-28s %7s %7s %7s" % ("", "median", "p95", "worst"))
    for phase in ("stand", "turn", "walk"):
        p = by_phase.get(phase)
        if not p:
            continue
        print("%s: %d rows, %d with a fix" % (phase, p["n"], p["fixes"]))
        print("  %-26s %s" % ("position, fix (m)", figures(p["pos_fix"])))
        print("  %-26s %s" % ("position, odometry (m)", figures(p["pos_odo"])))
        print("  %-26s %s" % ("torso heading, fix (deg)", figures(p["head_fix"])))
        print("  %-26s %s" % ("torso heading, odo (deg)", figures(p["head_odo"])))
        print("  %-26s %s" % ("ball, field frame (m)", figures(p["ball_g"])))
        print("  %-26s %s" % ("ball, torso frame (m)", figures(p["ball_l"])))
        d = p["ball_d"]
        if d:
            print("  %-26s %7.3f" % ("ball distance bias (m)", statistics.median(d)))


if __name__ == "__main__":
    main()
