#!/usr/bin/env python3
"""The kick approaches of a state trace (state_trace's output, from a game
recorded with ground truth): for each kick start, the step to the kick
position that came before it, where the ball truly was in the torso frame
when that step was asked for and when the kick started, and how far the
robot walked in between.

    tools/state_trace/kick_starts.py trace.tsv [--until SECONDS]

The step aims at a kick position that leaves the ball 0.231 m ahead and
0.085 m to the right. The truth comes with vision, every third message: the
figures at a step or kick start are those of the nearest vision message.
"""
import math
import sys


def rows(path):
    with open(path) as f:
        header = f.readline().rstrip("\n").split("\t")
        for line in f:
            cells = line.rstrip("\n").split("\t")
            yield dict(zip(header, cells + [""] * (len(header) - len(cells))))


def truth(row):
    """(x, y, heading deg, ball x, ball y, ahead, side), or None."""
    t = row.get("truth", "").split()
    return tuple(float(v) for v in t) if len(t) == 7 else None


def main():
    path = sys.argv[1]
    until = float(sys.argv[sys.argv.index("--until") + 1]) if "--until" in sys.argv else 1e9
    last_truth = None
    step = None  # (time, request, truth when asked)
    pending_kick = None  # kick started, waiting for the next truth
    print("kick_t\tstep_t\tstep\tahead_at_step\tside_at_step\tahead_at_kick\tside_at_kick\twalked")
    for r in rows(path):
        t = float(r["t"])
        if t > until:
            break
        tr = truth(r)
        if tr:
            last_truth = tr
        req = r.get("request", "")
        if req.startswith("trans") and "at_push_point_kick" in r["path"]:
            step = (t, req[6:], tr or last_truth)
        if req.startswith("kick"):
            pending_kick = (t, step)
            step = None
        if pending_kick and tr:
            kt, st = pending_kick
            pending_kick = None
            if st and st[2]:
                walked = math.hypot(tr[0] - st[2][0], tr[1] - st[2][1])
                print("%.2f\t%.2f\t%s\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f"
                      % (kt, st[0], st[1], st[2][5], st[2][6], tr[5], tr[6], walked))
            else:
                print("%.2f\t-\t-\t-\t-\t%.3f\t%.3f\t-" % (kt, tr[5], tr[6]))


if __name__ == "__main__":
    main()
