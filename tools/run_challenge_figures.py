#!/usr/bin/env python3
"""Figures of one run-challenge trial from a relay log (tools/relay.py
--log, server started with GROUNDTRUTH=1): the robot's head position
(`mypos`) against the game time `t`, which counts from the kick-off.

    tools/run_challenge_figures.py run.jsonl [--seconds 30] [--last 20]

prints, for the game-time window [0, seconds]: the distance covered along
+x and along the path, the average forward speed over the last `last`
seconds, the falls (the head below 0.3 m, counted once per fall) and the
sideways drift (end and largest |y - y0|).
"""
import argparse
import json
import math
import re

T_RE = re.compile(r"\(GS(?:\s*\([^()]*\))*?\s*\(t ([-0-9.eE]+)\)")
PM_RE = re.compile(r"\(pm ([A-Za-z_]+)\)")
MYPOS_RE = re.compile(r"\(mypos ([-0-9.eE]+) ([-0-9.eE]+) ([-0-9.eE]+)\)")

FALLEN_HEAD_HEIGHT = 0.3  # m; standing, the head is near 0.5 m


def samples(path, conn=0):
    """(game time, play mode, (x, y, z)) of every server frame with mypos."""
    t, pm = None, None
    for line in open(path):
        d = json.loads(line)
        if d.get("dir") != "s2a" or d.get("conn", 0) != conn:
            continue
        msg = d["msg"]
        m = T_RE.search(msg)
        if m:
            t = float(m.group(1))
        m = PM_RE.search(msg)
        if m:
            pm = m.group(1)
        m = MYPOS_RE.search(msg)
        if m and t is not None:
            yield t, pm, tuple(float(v) for v in m.groups())


def at(series, when):
    """The sample nearest to game time `when`."""
    return min(series, key=lambda s: abs(s[0] - when))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("log")
    ap.add_argument("--seconds", type=float, default=30.0)
    ap.add_argument("--last", type=float, default=20.0)
    ap.add_argument("--conn", type=int, default=0)
    a = ap.parse_args()

    # Game time runs from the kick-off: the window starts at the first
    # sample of a kick-off or play-on mode.
    series = [s for s in samples(a.log, a.conn) if s[1] and s[1] != "BeforeKickOff"]
    series = [s for s in series if 0.0 <= s[0] <= a.seconds]
    if not series:
        raise SystemExit("no samples after the kick-off")
    t0, _, p0 = series[0]
    t1, _, p1 = series[-1]
    tm, _, pm = at(series, t1 - a.last)
    path = sum(math.dist(u[2][:2], v[2][:2]) for u, v in zip(series, series[1:]))
    falls, down = 0, False
    for _, _, p in series:
        if p[2] < FALLEN_HEAD_HEIGHT and not down:
            falls += 1
        down = p[2] < FALLEN_HEAD_HEIGHT
    drift = max(abs(p[1] - p0[1]) for _, _, p in series)
    print(f"window: game time {t0:.2f} s to {t1:.2f} s, {len(series)} samples")
    print(f"start (x, y) = ({p0[0]:.3f}, {p0[1]:.3f}), end (x, y) = ({p1[0]:.3f}, {p1[1]:.3f})")
    print(f"distance along +x: {p1[0] - p0[0]:.3f} m; along the path: {path:.3f} m")
    print(f"average forward speed over the last {t1 - tm:.2f} s: {(p1[0] - pm[0]) / (t1 - tm):.4f} m/s")
    print(f"falls: {falls}")
    print(f"sideways drift: {p1[1] - p0[1]:+.3f} m at the end, {drift:.3f} m at most")


if __name__ == "__main__":
    main()
