#!/usr/bin/env python3
"""Figures of one experiment from a relay log (tools/relay.py --log),
recorded with the server's ground truth on (GROUNDTRUTH=1):

    tools/match_report.py run.jsonl [--seconds 60] [--side left]

Per connection: the beam messages sent and where the robot stood after
them, the say messages, and the falls (the head, `mypos` z, below 0.3 m
after standing above 0.45 m). For the match: the game time of the
kick-off, of the first touch of the ball (the ball 5 cm from where it lay
at the kick-off) and of its first metre, and the ball's progress towards the opponent goal
(+x for the left team) after --seconds of play and at each --at time, and
the touches of the ball: each time its motion changes abruptly (its speed
over 60 ms changes by more than 0.5 m/s), the robot whose head was nearest
it then (within 0.5 m), so that a kick-off taker's second touch shows.
"""
import argparse
import json
import re
import sys

from relay import BALLPOS_RE as BALL_RE
from relay import GS_T_RE as T_RE
from relay import MYPOS_RE, PM_RE

BEAM_RE = re.compile(r"\(beam ([-0-9.]+) ([-0-9.]+) ([-0-9.]+)\)")
SAY_RE = re.compile(r"\(say ([^)]*)\)")
UNUM_RE = re.compile(r"\(init \(unum (\d+)\)")

FALLEN_Z = 0.30
STANDING_Z = 0.45


class Conn:
    def __init__(self):
        self.unum = None
        self.t = 0.0
        self.pm = None
        self.beams = []          # (game time, play mode, x, y, angle)
        self.after_beam = []     # mypos of the first vision after each beam
        self.waiting_pos = False
        self.says = []           # (game time, text)
        self.answers = 0
        self.falls = []          # game time of each fall
        self.standing = True
        self.pos = None
        self.track = []          # (game time, head x, head y) of each ground truth


def touches(ball_track, conns):
    """(game time, unum, distance) of each abrupt change of the ball's
    motion, with the robot nearest the ball then (None beyond 0.5 m)."""
    times = sorted(ball_track)
    # Samples at least 60 ms apart: ground truth has centimetre resolution.
    grid = []
    for t in times:
        if not grid or t - grid[-1] >= 0.059:
            grid.append(t)
    found = []
    for i in range(1, len(grid) - 1):
        t0, t1, t2 = grid[i - 1], grid[i], grid[i + 1]
        (x0, y0), (x1, y1), (x2, y2) = ball_track[t0], ball_track[t1], ball_track[t2]
        v1 = ((x1 - x0) / (t1 - t0), (y1 - y0) / (t1 - t0))
        v2 = ((x2 - x1) / (t2 - t1), (y2 - y1) / (t2 - t1))
        if ((v2[0] - v1[0]) ** 2 + (v2[1] - v1[1]) ** 2) ** 0.5 <= 0.5:
            continue
        best = None
        for c in conns.values():
            seen = [p for p in c.track if abs(p[0] - t1) <= 0.1]
            if not seen:
                continue
            _, x, y = min(seen, key=lambda p: abs(p[0] - t1))
            d = ((x - x1) ** 2 + (y - y1) ** 2) ** 0.5
            if best is None or d < best[1]:
                best = (c.unum, d)
        if best is None or best[1] > 0.5:
            best = (None, best[1] if best else float("nan"))
        # One touch per robot and moment: a kick shows as several changes.
        if found and found[-1][1] == best[0] and t1 - found[-1][0] < 0.3:
            continue
        found.append((t1, best[0], best[1]))
    return found


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("log")
    ap.add_argument("--seconds", type=float, default=60.0)
    ap.add_argument("--side", choices=["left", "right"], default="left")
    ap.add_argument("--at", type=float, action="append", default=[],
                    help="also give the ball's place this many seconds after the kick-off (repeatable)")
    args = ap.parse_args()

    conns = {}
    kickoff_t = None
    kickoff_ball = None
    first_touch = None
    first_metre = None
    ball_at_end = None
    ball_max = None
    play_modes = []
    last_t = 0.0
    ball_track = {}  # game time -> ball (x, y)
    goal_dir = 1.0 if args.side == "left" else -1.0

    for line in open(args.log):
        try:
            d = json.loads(line)
        except json.JSONDecodeError:
            # The relay stopped in the middle of writing its last line.
            break
        c = conns.setdefault(d.get("conn", 0), Conn())
        m = d["msg"]
        if d["dir"] == "a2s":
            u = UNUM_RE.search(m)
            if u:
                c.unum = int(u.group(1))
            c.answers += 1
            for b in BEAM_RE.finditer(m):
                c.beams.append((c.t, c.pm, float(b.group(1)), float(b.group(2)), float(b.group(3))))
                c.waiting_pos = True
            for s in SAY_RE.finditer(m):
                c.says.append((c.t, s.group(1)))
            continue
        t = T_RE.search(m)
        if t:
            c.t = float(t.group(1))
            last_t = max(last_t, c.t)
        p = PM_RE.search(m)
        if p:
            c.pm = p.group(1)
            if not play_modes or play_modes[-1][1] != c.pm:
                play_modes.append((c.t, c.pm))
            if kickoff_t is None and c.pm.startswith("KickOff"):
                kickoff_t = c.t
        pos = MYPOS_RE.search(m)
        if pos:
            x, y, z = (float(v) for v in pos.groups())
            c.pos = (x, y, z)
            c.track.append((c.t, x, y))
            if c.waiting_pos:
                c.after_beam.append((x, y))
                c.waiting_pos = False
            if c.standing and z < FALLEN_Z:
                c.standing = False
                c.falls.append(c.t)
            elif not c.standing and z > STANDING_Z:
                c.standing = True
        b = BALL_RE.search(m)
        if b and kickoff_t is not None:
            bx, by = float(b.group(1)), float(b.group(2))
            ball_track[round(c.t, 2)] = (bx, by)
            if kickoff_ball is None:
                kickoff_ball = (bx, by)
            if first_touch is None and ((bx - kickoff_ball[0]) ** 2 + (by - kickoff_ball[1]) ** 2) ** 0.5 > 0.05:
                first_touch = c.t
            if first_metre is None and ((bx - kickoff_ball[0]) ** 2 + (by - kickoff_ball[1]) ** 2) ** 0.5 > 1.0:
                first_metre = c.t
            if c.t <= kickoff_t + args.seconds:
                ball_at_end = (bx, by)
                prog = goal_dir * (bx - kickoff_ball[0])
                ball_max = prog if ball_max is None else max(ball_max, prog)

    print("play modes:", ", ".join("%.2f %s" % pm for pm in play_modes))
    if kickoff_t is None:
        print("no kick-off")
    else:
        print("kick-off at %.2f s" % kickoff_t)
        print("first touch: %s" % ("%.2f s after kick-off" % (first_touch - kickoff_t) if first_touch is not None else "none"))
        print("ball 1 m from its kick-off place: %s" % (
            "%.2f s after kick-off" % (first_metre - kickoff_t) if first_metre is not None else "never"))
        if ball_at_end and kickoff_ball:
            print("ball after %.0f s: (%.2f, %.2f), %.2f m towards the goal (best %.2f m)" % (
                args.seconds, ball_at_end[0], ball_at_end[1], goal_dir * (ball_at_end[0] - kickoff_ball[0]),
                ball_max))
        for at in args.at:
            near = [t for t in ball_track if t <= kickoff_t + at]
            if near and kickoff_ball:
                bx, by = ball_track[max(near)]
                print("ball %.0f s after kick-off: (%.2f, %.2f), %.2f m towards the goal, %s half" % (
                    at, bx, by, goal_dir * (bx - kickoff_ball[0]), "opponent" if goal_dir * bx > 0 else "own"))
        print("touches: %s" % (", ".join("%.2f unum %s (%.2f m)" % tc for tc in touches(ball_track, conns))
                               or "none"))
    played = max(0.0, min(last_t, (kickoff_t or 0) + args.seconds) - (kickoff_t or 0))
    total_falls = 0
    places = []
    for k in sorted(conns):
        c = conns[k]
        falls = [f for f in c.falls if kickoff_t is not None and kickoff_t <= f <= kickoff_t + args.seconds]
        total_falls += len(falls)
        says = [s for s in c.says if kickoff_t is not None and kickoff_t <= s[0] <= kickoff_t + args.seconds]
        print("conn %d unum %s: %d answers, %d beams %s, stood at %s after them; %d falls in play; %d says in play" % (
            k, c.unum, c.answers, len(c.beams),
            " ".join("(%.1f %.1f %.1f in %s at %.2f)" % (b[2], b[3], b[4], b[1], b[0]) for b in c.beams),
            " ".join("(%.2f %.2f)" % p for p in c.after_beam), len(falls), len(says)))
        if c.after_beam:
            places.append(c.after_beam[0])
    if played > 0:
        print("falls: %d in %.1f s of play, %.2f per minute (all robots), %.2f per robot-minute" % (
            total_falls, played, total_falls * 60.0 / played, total_falls * 60.0 / played / max(1, len(conns))))
    distinct = len({(round(x, 1), round(y, 1)) for x, y in places})
    own_half = sum(1 for x, _ in places if goal_dir * x < 0)
    print("beam places: %d robots, %d distinct, %d in the own half" % (len(places), distinct, own_half))


if __name__ == "__main__":
    sys.exit(main())
