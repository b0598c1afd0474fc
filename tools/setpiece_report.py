#!/usr/bin/env python3
"""Figures of set-piece trials (tools/setpiece_trials.sh) from each trial
folder's relay log, recorded with ground truth, and the trainer's
set_piece.json (tools/trainer_setpiece.py):

    tools/setpiece_report.py OUT/trial-1 OUT/trial-2 ... [--json FILE]

Per trial: the kind and the spot (where the ball lay once the server held
it there), the left team's player nearest the ball as the set piece began
and its distance, how it ended (taken: the server's play on, at the first
touch, before the drop at 15 s, with that time from the mode's start;
dropped; or interrupted by another play mode), the player nearest the ball
at play on (the one that touched it), and whether a free kick for the
opponents followed within 20 s of play on. Per kind: the set pieces with a
player within 4 m, taken and dropped among them, the median first touch
and the free kicks for the opponents.
"""
import argparse
import bisect
import json
import os
import statistics
import sys

import match_report
import restart_report

# A set piece the team should take: a player this near the ball as it began.
NEAR = 4.0
# How near in time a robot's own ground truth must be to a sample of the ball.
MATCH_TIME = 0.1


def rows(log):
    """A relay log (match_report.Log) as restart_report's trace rows: per
    ground truth of the ball its game time, the play mode then (as the
    connection that received the most messages saw it), the ball and each
    robot's head at its ground truth nearest that time."""
    if not log.conns:
        return []
    main = max(log.conns.values(), key=lambda c: c.received)
    mode_times = [t for t, _ in main.modes]
    tracks = [(c.unum, [p[0] for p in c.track], c.track) for c in log.conns.values() if c.track]
    out = []
    for t in sorted(log.ball_track):
        i = bisect.bisect_right(mode_times, t + 1e-6) - 1
        if i < 0:
            continue
        robots = []
        for unum, times, track in tracks:
            j = bisect.bisect_left(times, t)
            near = min((k for k in (j - 1, j) if 0 <= k < len(track)), key=lambda k: abs(times[k] - t))
            if abs(times[near] - t) <= MATCH_TIME:
                robots.append(["left", unum, track[near][1], track[near][2]])
        bx, by = log.ball_track[t]
        out.append({"t": t, "half": 1, "pm": main.modes[i][1], "ball": [bx, by], "robots": robots})
    return out


def trial(folder):
    """The trial's set piece as a dict (restart_report's fields, the
    trainer's request, the player at play on), or None without one."""
    try:
        with open(os.path.join(folder, "set_piece.json")) as f:
            asked = json.loads(f.readline())
        log = match_report.read_log(os.path.join(folder, "relay.jsonl"))
    except (OSError, ValueError):
        return None
    found = [r for r in restart_report.restarts(rows(log))
             if r["mode"] == asked["mode"] and r["time"] >= asked["placed_at"]]
    if not found:
        return None
    r = found[0]
    r["trial"] = os.path.basename(os.path.normpath(folder))
    r["lie"] = asked["lie"]
    r["asked_spot"] = asked["spot"]
    r["near"] = r["nearest"] is not None and r["nearest"]["distance"] <= NEAR
    r["touched_by"] = None
    if r["end"] == "taken":
        main = max(log.conns.values(), key=lambda c: c.received)
        t_on = next(t for t, m in main.modes if t > r["time"] and m == "PlayOn")
        _, bx, by = match_report.ball_at(log.ball_samples, t_on)
        near = match_report.nearest_robot(log.conns, t_on, bx, by)
        if near:
            r["touched_by"] = {"unum": near[0], "distance": round(near[1], 2)}
    return r


def describe(r):
    n = r["nearest"]
    text = "%s: %s at (%.2f, %.2f), lying %.1f s before; nearest unum %s at %.2f m; " % (
        r["trial"], r["kind"], r["spot"][0], r["spot"][1], r["lie"],
        n["unum"] if n else "-", n["distance"] if n else float("nan"))
    if r["end"] == "taken":
        text += "taken, first touch %.2f s" % r["first_touch"]
        if r["touched_by"]:
            text += " by unum %s (%.2f m)" % (r["touched_by"]["unum"], r["touched_by"]["distance"])
    elif r["end"] == "dropped":
        text += "dropped at %.2f s" % r["duration"]
    elif r["end"] == "interrupted":
        text += "interrupted by %s at %.2f s" % (r["by"], r["duration"])
    else:
        text += "unfinished at the log's end (%.2f s)" % r["duration"]
    fk = r.get("free_kick_against")
    return text + "; free kick for the opponents: %s" % (
        "%s %.2f s after play on" % (fk["mode"], fk["after_play_on"]) if fk else "no")


def summary(found):
    out = {}
    for kind in sorted({r["kind"] for r in found}):
        own = [r for r in found if r["kind"] == kind]
        near = [r for r in own if r["near"]]
        taken = [r["first_touch"] for r in own if r["end"] == "taken"]
        out[kind] = {
            "trials": len(own), "near": len(near),
            "near_taken": sum(1 for r in near if r["end"] == "taken"),
            "near_dropped": sum(1 for r in near if r["end"] == "dropped"),
            "taken": len(taken),
            "median_first_touch": round(statistics.median(taken), 2) if taken else None,
            "free_kicks_against": sum(1 for r in own if r.get("free_kick_against")),
        }
    return out


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("trials", nargs="+", help="trial folders of setpiece_trials.sh")
    ap.add_argument("--json", metavar="FILE", help="also write the set pieces and the summary as JSON")
    args = ap.parse_args(argv)
    found = []
    for folder in args.trials:
        r = trial(folder)
        if r is None:
            print("%s: no set piece" % os.path.basename(os.path.normpath(folder)))
            continue
        found.append(r)
        print(describe(r))
    summ = summary(found)
    for kind, s in summ.items():
        print("summary %s: %d set pieces, %d with a player within %.0f m: %d taken, %d dropped; "
              "%d taken in all, median first touch %s; %d free kicks for the opponents" % (
                  kind, s["trials"], s["near"], NEAR, s["near_taken"], s["near_dropped"], s["taken"],
                  "%.2f s" % s["median_first_touch"] if s["median_first_touch"] is not None else "-",
                  s["free_kicks_against"]))
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"set_pieces": found, "summary": summ}, f, indent=2)
            f.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
