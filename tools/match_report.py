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

Then every kick-off of the log (after the start or after a goal): its
play mode and game time, what came before, the first touch after it began
(the ball 5 cm from where it lay then), how it ended (play on, or dropped
by the server after 15 s without a touch), whether a free kick for the
opponents followed within 20 s, and the touches of its first 3 s.
`--json FILE` writes the kick-offs as JSON.
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
# The server drops the ball when nobody touched it for this long after the
# kick-off began (RuleDropBallTime); a free kick for the opponents this soon
# after the kick-off's play on counts as following it.
DROP_TIME = 15.0
FREE_KICK_WINDOW = 20.0
KICKOFF_TOUCHES = 3.0
# After a goal the server puts the ball back on the centre spot in the
# cycle the kick-off begins, and the first messages of the kick-off may
# still show it where it was: its motion counts from this long after.
SETTLE = 0.15
OTHER = {"Left": "right", "Right": "left"}


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
        self.received = 0        # messages from the server
        self.modes = []          # (game time, play mode) of each change of the play mode


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
        best = nearest_robot(conns, t1, x1, y1)
        if best is None or best[1] > 0.5:
            best = (None, best[1] if best else float("nan"))
        # One touch per robot and moment: a kick shows as several changes.
        if found and found[-1][1] == best[0] and t1 - found[-1][0] < 0.3:
            continue
        found.append((t1, best[0], best[1]))
    return found


class Log:
    """What match_report reads from a relay log."""

    def __init__(self):
        self.conns = {}
        self.kickoff_t = None
        self.kickoff_ball = None
        self.first_touch = None
        self.first_metre = None
        self.ball_at_end = None
        self.ball_max = None
        self.play_modes = []
        self.last_t = 0.0
        self.ball_track = {}  # game time -> ball (x, y)
        self.ball_samples = []  # (game time, x, y) of every ground truth of the ball, in log order


def read_log(path, seconds=60.0, side="left"):
    r = Log()
    conns = r.conns
    goal_dir = 1.0 if side == "left" else -1.0
    for line in open(path):
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
        c.received += 1
        t = T_RE.search(m)
        if t:
            c.t = float(t.group(1))
            r.last_t = max(r.last_t, c.t)
        p = PM_RE.search(m)
        if p:
            if c.pm != p.group(1):
                c.modes.append((c.t, p.group(1)))
            c.pm = p.group(1)
            if not r.play_modes or r.play_modes[-1][1] != c.pm:
                r.play_modes.append((c.t, c.pm))
            if r.kickoff_t is None and c.pm.startswith("KickOff"):
                r.kickoff_t = c.t
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
        if b and r.kickoff_t is not None:
            bx, by = float(b.group(1)), float(b.group(2))
            r.ball_track[round(c.t, 2)] = (bx, by)
            r.ball_samples.append((c.t, bx, by))
            if r.kickoff_ball is None:
                r.kickoff_ball = (bx, by)
            kb = r.kickoff_ball
            if r.first_touch is None and ((bx - kb[0]) ** 2 + (by - kb[1]) ** 2) ** 0.5 > 0.05:
                r.first_touch = c.t
            if r.first_metre is None and ((bx - kb[0]) ** 2 + (by - kb[1]) ** 2) ** 0.5 > 1.0:
                r.first_metre = c.t
            if c.t <= r.kickoff_t + seconds:
                r.ball_at_end = (bx, by)
                prog = goal_dir * (bx - kb[0])
                r.ball_max = prog if r.ball_max is None else max(r.ball_max, prog)
    return r


def kickoffs(r):
    """Every kick-off of a log as a dict, in order. The play modes are those
    of the connection that received the most messages (each connection
    sees the same game state)."""
    if not r.conns:
        return []
    main = max(r.conns.values(), key=lambda c: c.received)
    modes = main.modes
    samples = sorted(r.ball_samples)
    all_touches = touches(r.ball_track, r.conns)
    found = []
    for i, (t0, pm) in enumerate(modes):
        if not pm.startswith("KickOff"):
            continue
        side = pm.split("_")[1]
        before = modes[i - 1][1] if i else None
        k = {"mode": pm, "time": round(t0, 2),
             "after": "goal" if before in ("Goal_Left", "Goal_Right")
             else "start" if before in (None, "BeforeKickOff") else before}
        nxt = modes[i + 1] if i + 1 < len(modes) else None
        # The ball's search for a first touch ends at the next kick-off.
        until = next((t for t, m in modes[i + 1:] if m.startswith("KickOff")), float("inf"))
        lay = next(((x, y) for t, x, y in samples if t >= t0 + SETTLE), None)
        k["first_touch"] = None
        if lay is not None:
            for t, x, y in samples:
                if t0 + SETTLE <= t < until and ((x - lay[0]) ** 2 + (y - lay[1]) ** 2) ** 0.5 > 0.05:
                    k["first_touch"] = round(t - t0, 2)
                    break
        if nxt is None:
            k["end"] = "unfinished"
        else:
            t1, m1 = nxt
            k["duration"] = round(t1 - t0, 2)
            if m1 == "PlayOn":
                # The drop comes in the first cycle after the wait.
                k["end"] = "dropped" if t1 - t0 >= DROP_TIME - 0.01 else "play on"
            else:
                k["end"] = "interrupted by " + m1
        k["free_kick_against"] = None
        # A push too soft for the touches below still ends the kick-off:
        # the robot nearest the ball then is the taker.
        k["play_on_nearest"] = None
        if nxt is not None and nxt[1] == "PlayOn" and samples:
            _, bx, by = ball_at(samples, nxt[0])
            near = nearest_robot(r.conns, nxt[0], bx, by)
            if near:
                k["play_on_nearest"] = {"unum": near[0], "distance": round(near[1], 2)}
        if nxt is not None and nxt[1] == "PlayOn":
            opp = OTHER.get(side)
            for t, m in modes[i + 2:]:
                if t - nxt[0] > FREE_KICK_WINDOW:
                    break
                if m in ("free_kick_" + str(opp), "direct_free_kick_" + str(opp)):
                    k["free_kick_against"] = {"mode": m, "time": round(t, 2),
                                              "after_play_on": round(t - nxt[0], 2)}
                    _, bx, by = ball_at(samples, t)
                    near = nearest_robot(r.conns, t, bx, by)
                    if near:
                        k["free_kick_against"]["nearest"] = {"unum": near[0], "distance": round(near[1], 2)}
                    break
        # A taker's second touch comes soon after its first.
        touch_end = (k["first_touch"] or 0.0) + KICKOFF_TOUCHES
        k["touches"] = [{"time": round(t - t0, 2), "unum": u, "distance": round(dd, 2)}
                        for t, u, dd in all_touches if t0 + SETTLE <= t <= t0 + touch_end]
        found.append(k)
    return found


def describe_kickoff(n, k):
    text = "kick-off %d: %s at %.2f s after the %s; first touch %s; " % (
        n, k["mode"], k["time"], k["after"],
        "%.2f s after it began" % k["first_touch"] if k["first_touch"] is not None else "none")
    if k["end"] == "play on":
        text += "play on at %.2f s" % k["duration"]
        if k["play_on_nearest"]:
            text += " (nearest unum %s, %.2f m)" % (k["play_on_nearest"]["unum"], k["play_on_nearest"]["distance"])
    elif k["end"] == "dropped":
        text += "dropped at %.2f s" % k["duration"]
    elif k["end"] == "unfinished":
        text += "unfinished at the log's end"
    else:
        text += "%s at %.2f s" % (k["end"], k["duration"])
    fk = k["free_kick_against"]
    text += "; free kick for the opponents within %.0f s: %s" % (
        FREE_KICK_WINDOW, "%s %.2f s after play on%s" % (
            fk["mode"], fk["after_play_on"],
            " (nearest unum %s, %.2f m)" % (fk["nearest"]["unum"], fk["nearest"]["distance"]) if "nearest" in fk else "")
        if fk else "no")
    text += "; touches up to %.0f s after the first: %s" % (KICKOFF_TOUCHES, ", ".join(
        "%.2f unum %s (%.2f m)" % (tc["time"], tc["unum"], tc["distance"]) for tc in k["touches"]) or "none")
    return text


def nearest_robot(conns, t, x, y):
    """(unum, distance) of the robot whose head was nearest (x, y) at game
    time t, from each robot's ground truth within 0.1 s of it."""
    best = None
    for c in conns.values():
        seen = [p for p in c.track if abs(p[0] - t) <= 0.1]
        if not seen:
            continue
        _, rx, ry = min(seen, key=lambda p: abs(p[0] - t))
        d = ((rx - x) ** 2 + (ry - y) ** 2) ** 0.5
        if best is None or d < best[1]:
            best = (c.unum, d)
    return best


def ball_at(samples, t):
    return min(samples, key=lambda s: abs(s[0] - t)) if samples else None


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("log")
    ap.add_argument("--seconds", type=float, default=60.0)
    ap.add_argument("--side", choices=["left", "right"], default="left")
    ap.add_argument("--at", type=float, action="append", default=[],
                    help="also give the ball's place this many seconds after the kick-off (repeatable)")
    ap.add_argument("--json", metavar="FILE", help="write every kick-off as JSON")
    args = ap.parse_args()

    r = read_log(args.log, args.seconds, args.side)
    conns = r.conns
    kickoff_t, kickoff_ball, first_touch, first_metre = r.kickoff_t, r.kickoff_ball, r.first_touch, r.first_metre
    ball_at_end, ball_max, ball_track = r.ball_at_end, r.ball_max, r.ball_track
    goal_dir = 1.0 if args.side == "left" else -1.0

    print("play modes:", ", ".join("%.2f %s" % pm for pm in r.play_modes))
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
    played = max(0.0, min(r.last_t, (kickoff_t or 0) + args.seconds) - (kickoff_t or 0))
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
    kos = kickoffs(r)
    print("kick-offs: %d" % len(kos))
    for n, k in enumerate(kos, 1):
        print(describe_kickoff(n, k))
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"log": args.log, "kick_offs": kos}, f, indent=2)
            f.write("\n")


if __name__ == "__main__":
    sys.exit(main())
