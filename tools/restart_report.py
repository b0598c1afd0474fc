#!/usr/bin/env python3
"""Every restart of a match from its trace (trace.jsonl.gz of
scripts/match.sh), in order:

    tools/restart_report.py logs/match-20261211-123901 [--json FILE]

A restart is a kick-off, kick-in, corner kick, goal kick or (direct) free
kick; its side is the one its play mode names, the side that takes it.
Per restart: the game time it began, how it ended (taken: play on at the
first touch, with that time from the mode's start; dropped: the server
played on after 15 s with nobody touching; or interrupted by another play
mode), the distance of the side's nearest player from the ball when it
began (within 5 m or not), and whether a free kick against the side began
within 20 s of its play-on. Kick-offs also say whether a goal or a half's
start came before. A summary per side follows.
"""
import argparse
import json
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "scripts"))
import match  # noqa: E402
from match import MAX_STEP, OTHER_SIDE as OTHER  # noqa: E402

# The server drops the ball when nobody touched it for this long after the
# mode changed (RuleDropBallTime).
DROP_TIME = 15.0
DROP_SEEN = 0.1
NEAR = 5.0
FREE_KICK_WINDOW = 20.0
# The server holds the ball back on the restart spot until the kick-in
# pause (1 s) has passed: where it lies then is where the restart is taken.
SPOT_AFTER = 1.05

# The restarts: the kick-offs and the set pieces of scripts/match.py.
RESTARTS = {"KickOff_Left": ("kick_off", "left"), "KickOff_Right": ("kick_off", "right")}
RESTARTS.update(match.SET_PIECES)
# Play modes in which the server's game clock stands still.
STOPPED = ("BeforeKickOff", "GameOver")


def trace_path(path):
    if os.path.isdir(path):
        return os.path.join(path, match.TRACE_NAME)
    return path


def read_trace(path):
    """The trace's messages: dicts with t, half, pm, ball, robots."""
    _, records = match.read_trace(path)
    return [d for d in records if "pm" in d]


def clocks(rows):
    """A running clock per message: the game time's steps, and where the
    game time stands still in a mode that is not stopped, the usual step
    between two messages, so that waits in such modes still count."""
    steps = [b["t"] - a["t"] for a, b in zip(rows, rows[1:]) if 0 < b["t"] - a["t"] <= MAX_STEP]
    usual = statistics.median(steps) if steps else 0.04
    out = []
    c = 0.0
    for i, r in enumerate(rows):
        if i:
            dt = r["t"] - rows[i - 1]["t"]
            if 0 < dt <= MAX_STEP:
                c += dt
            elif dt == 0 and r["pm"] not in STOPPED and rows[i - 1]["pm"] not in STOPPED:
                c += usual
        out.append(c)
    return out, usual


def runs(rows):
    """(first index, end index) of each stretch of one play mode and half."""
    out = []
    start = 0
    for i in range(1, len(rows) + 1):
        if i == len(rows) or rows[i]["pm"] != rows[start]["pm"] or rows[i]["half"] != rows[start]["half"]:
            out.append((start, i))
            start = i
    return out


def dist2(a, b):
    return ((a[0] - b[0]) ** 2 + (a[1] - b[1]) ** 2) ** 0.5


def restarts(rows):
    """The restarts of a trace as dicts, in order."""
    if not rows:
        return []
    clock, usual = clocks(rows)
    stretches = runs(rows)
    found = []
    for k, (a, b) in enumerate(stretches):
        pm = rows[a]["pm"]
        if pm not in RESTARTS:
            continue
        kind, side = RESTARTS[pm]
        r = {"mode": pm, "kind": kind, "side": side, "half": rows[a]["half"],
             "time": round(rows[a]["t"], 2)}
        if kind == "kick_off":
            before = rows[stretches[k - 1][0]]["pm"] if k else None
            r["after"] = ("goal" if before in ("Goal_Left", "Goal_Right")
                          else "half start" if before in (None, "BeforeKickOff") else before)
        # The restart spot: for a kick-off the centre where the ball lies
        # from the start, otherwise where the server holds it after the pause.
        spot_i = a
        if kind != "kick_off":
            spot_i = b - 1
            for i in range(a, b):
                if clock[i] - clock[a] >= SPOT_AFTER:
                    spot_i = i
                    break
        spot = rows[spot_i]["ball"]
        nearest = None
        if spot:
            for rb in rows[a]["robots"]:
                if rb[0] == side:
                    d = dist2((rb[2], rb[3]), spot)
                    if nearest is None or d < nearest[1]:
                        nearest = (rb[1], d)
        r["spot"] = [round(v, 2) for v in spot[:2]] if spot else None
        r["nearest"] = {"unum": nearest[0], "distance": round(nearest[1], 2)} if nearest else None
        r["near"] = nearest is not None and nearest[1] <= NEAR
        if b == len(rows):
            r["end"] = "unfinished"
            r["duration"] = round(clock[b - 1] - clock[a], 2)
        else:
            nxt = rows[b]["pm"]
            duration = clock[b] - clock[a]
            r["duration"] = round(duration, 2)
            if nxt == "PlayOn":
                # A touch plays on at once. The drop comes a cycle before
                # 15 s from the mode's first message, and either may be
                # seen a message or two late.
                r["end"] = "dropped" if duration >= DROP_TIME - DROP_SEEN else "taken"
                if r["end"] == "taken":
                    r["first_touch"] = round(duration, 2)
                r["free_kick_against"] = None
                for a2, _ in stretches[k + 1:]:
                    if clock[a2] - clock[b] > FREE_KICK_WINDOW:
                        break
                    m2 = rows[a2]["pm"]
                    if m2 in RESTARTS and RESTARTS[m2] == ("free_kick", OTHER[side]):
                        r["free_kick_against"] = {"mode": m2, "time": round(rows[a2]["t"], 2),
                                                  "after_play_on": round(clock[a2] - clock[b], 2)}
                        break
            else:
                r["end"] = "interrupted"
                r["by"] = nxt
        found.append(r)
    return found


def describe(r):
    parts = ["%7.2f  half %d  %-22s" % (r["time"], r["half"], r["mode"])]
    if r["kind"] == "kick_off":
        parts.append("after %s;" % r["after"])
    if r["end"] == "taken":
        parts.append("taken, first touch %.2f s;" % r["first_touch"])
    elif r["end"] == "dropped":
        parts.append("dropped at %.2f s;" % r["duration"])
    elif r["end"] == "interrupted":
        parts.append("interrupted by %s at %.2f s;" % (r["by"], r["duration"]))
    else:
        parts.append("unfinished at the trace's end (%.2f s);" % r["duration"])
    n = r["nearest"]
    parts.append("nearest of the side: %s" % ("unum %d at %.1f m" % (n["unum"], n["distance"]) if n else "none")
                 + ("" if r["near"] else " (nobody within %.0f m)" % NEAR))
    if r["end"] in ("taken", "dropped"):
        fk = r["free_kick_against"]
        parts[-1] += ";"
        parts.append("free kick against: %s" % (
            "%s at %.2f (%.2f s after play on)" % (fk["mode"], fk["time"], fk["after_play_on"]) if fk else "no"))
    return " ".join(parts)


def summary(found):
    out = {}
    for side in ("left", "right"):
        own = [r for r in found if r["side"] == side]
        kos = [r for r in own if r["kind"] == "kick_off"]
        others = [r for r in own if r["kind"] != "kick_off"]
        near = [r for r in others if r["near"]]
        out[side] = {
            "kick_offs": len(kos),
            "kick_offs_taken": [r["first_touch"] for r in kos if r["end"] == "taken"],
            "kick_offs_dropped": sum(1 for r in kos if r["end"] == "dropped"),
            "other_restarts": len(others),
            "other_taken": sum(1 for r in near if r["end"] == "taken"),
            "other_dropped": sum(1 for r in near if r["end"] == "dropped"),
            "other_nobody_near": len(others) - len(near),
            "free_kicks_against_after_own": sum(1 for r in own if r.get("free_kick_against")),
        }
    return out


def team_names(folder):
    """Side -> team name from the match's result.json, where there is one."""
    try:
        with open(os.path.join(folder, "result.json")) as f:
            res = json.load(f)
        return {t["side"]: "%s (%s)" % (t["team"], t["program"]) for t in res["teams"]}
    except (OSError, ValueError, KeyError, TypeError):
        return {}


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("match", help="match folder of scripts/match.sh or its trace.jsonl.gz")
    ap.add_argument("--json", metavar="FILE", help="also write the restarts and the summary as JSON")
    args = ap.parse_args(argv)
    path = trace_path(args.match)
    try:
        rows = read_trace(path)
    except OSError as e:
        print("restart_report.py: %s" % e, file=sys.stderr)
        return 2
    found = restarts(rows)
    names = team_names(os.path.dirname(os.path.abspath(path)))
    modes = sorted({r["pm"] for r in rows})
    print("play modes in the trace: %s" % ", ".join(modes))
    for r in found:
        print(describe(r))
    if not found:
        print("no restarts")
    summ = summary(found)
    for side in ("left", "right"):
        s = summ[side]
        print("summary %s%s: kick-offs %d taken (first touch %s), %d dropped; other own restarts %d taken, "
              "%d dropped (%d more with nobody within %.0f m); free kicks against within %.0f s "
              "of an own restart: %d" % (
                  side, " " + names[side] if side in names else "",
                  len(s["kick_offs_taken"]), ", ".join("%.2f s" % v for v in s["kick_offs_taken"]) or "-",
                  s["kick_offs_dropped"], s["other_taken"], s["other_dropped"], s["other_nobody_near"], NEAR,
                  FREE_KICK_WINDOW, s["free_kicks_against_after_own"]))
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"trace": path, "restarts": found, "summary": summ}, f, indent=2)
            f.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
