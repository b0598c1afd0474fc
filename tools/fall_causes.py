#!/usr/bin/env python3
"""Why the robots of a match fell: every fall of a match played with
scripts/match.sh, put into one cause from the server's ground truth (the
match's trace.jsonl.gz) and the players' logs, with counts per team.

    tools/fall_causes.py logs/match-YYYYmmdd-HHMMSS [--list] [--json FILE]

Falls are counted as match.sh counts them. A fall starts at the last frame
before it is counted in which the robot still stood upright (the z
component of its torso's up axis at least 0.95), at most 2 s before. Its
cause is the first of these that holds:

1. collision with a team-mate, or with an opponent: another robot's torso
   came within 0.5 m of the falling robot's in the 0.5 s before the fall
   started (the nearest of them tells which);
2. during a stand-up: the player's log tells of a fall whose stand-up had
   not ended when this fall started, or had ended less than 1 s before it
   (without a log: the robot rose less than 2 s before);
3. after a kick: the player's log tells of a kick that was active when the
   fall started or had ended less than 1 s before it;
4. while walking alone: the torso moved more than 0.05 m/s over the second
   before the fall started;
5. other.

--list prints every fall with its cause, the nearest robot and where it
stood relative to the falling robot's front (0 degrees: straight ahead).
"""
import argparse
import collections
import glob
import json
import math
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "scripts"))
import match  # noqa: E402
import simmonitor  # noqa: E402

UPRIGHT = 0.95         # up-axis z of a robot standing or walking
ONSET_WINDOW = 2.0     # s: how far back the start of a fall is looked for
COLLISION_DIST = 0.5   # m between torso centres
COLLISION_WINDOW = 0.5  # s before the start of the fall
AFTER_MOTION = 1.0     # s after a kick or stand-up ended that still count
RISE_WINDOW = 2.0      # s: without a log, a fall this soon after rising
WALK_SPEED = 0.05      # m/s
WALK_WINDOW = 1.0      # s
HISTORY = max(ONSET_WINDOW + COLLISION_WINDOW, WALK_WINDOW + ONSET_WINDOW) + 0.5

CAUSES = (("teammate", "collision with a team-mate"),
          ("opponent", "collision with an opponent"),
          ("standup", "during a stand-up"),
          ("kick", "after a kick"),
          ("walking", "while walking alone"),
          ("other", "other"))

EVENT_RE = re.compile(r"^\[(-?[0-9.]+)\] (fall detected|stand-up ended|kick started|kick ended)")


class Motions:
    """The kicks and stand-ups of one player, from its log: lists of
    [start, end] in game time (end None while it lasted to the log's end)."""

    def __init__(self):
        self.kicks = []
        self.standups = []

    @staticmethod
    def read(path):
        m = Motions()
        with open(path, errors="replace") as f:
            for line in f:
                e = EVENT_RE.match(line)
                if not e:
                    continue
                t, what = float(e.group(1)), e.group(2)
                if what == "fall detected":
                    m.standups.append([t, None])
                elif what == "kick started":
                    m.kicks.append([t, None])
                elif what == "stand-up ended" and m.standups and m.standups[-1][1] is None:
                    m.standups[-1][1] = t
                elif what == "kick ended" and m.kicks and m.kicks[-1][1] is None:
                    m.kicks[-1][1] = t
        return m

    @staticmethod
    def active(spans, t, after):
        """Some span began at or before t and ended no earlier than `after`
        seconds before t."""
        for start, end in spans:
            if start <= t and (end is None or end >= t - after):
                return True
        return False


def read_logs(folder):
    """(side, unum) -> Motions, and side -> team name, from the player logs
    of a match folder (left-TEAM/player-N.log, right-TEAM/player-N.log)."""
    motions, teams = {}, {}
    for side in ("left", "right"):
        for d in sorted(glob.glob(os.path.join(folder, side + "-*"))):
            if not os.path.isdir(d):
                continue
            teams[side] = os.path.basename(d)[len(side) + 1:]
            for log in glob.glob(os.path.join(d, "player-*.log")):
                n = re.search(r"player-(\d+)\.log$", log)
                if n:
                    motions[(side, int(n.group(1)))] = Motions.read(log)
    return motions, teams


def read_trace(path):
    """The frames of a trace: (game time, play mode, {(side, unum): Robot})."""
    fields, records = match.read_trace(path)
    for rec in records:
        robots = {}
        for row in rec.get("robots", []):
            r = dict(zip(fields, row))
            robots[(r["side"], r["unum"])] = simmonitor.Robot(
                r["side"], r["unum"], (r["x"], r["y"], r["z"]), r["up"], r.get("facing", 0.0))
        yield rec["t"], rec.get("pm"), robots


def angle_diff(a, b):
    return (a - b + 3 * math.pi) % (2 * math.pi) - math.pi


class Classifier:
    def __init__(self, motions=None):
        self.motions = motions  # None: no logs, the trace alone
        self.figures = match.Figures()
        self.history = collections.deque()  # (t, robots), the last HISTORY seconds
        self.last_rise = {}
        self.falls = []
        self.started = False

    def feed(self, t, pm, robots):
        if not self.started:
            self.figures.start(list(robots.values()), pm)
            self.started = True
        was_down = dict(self.figures.fallen)
        n = len(self.figures.fall_list)
        self.figures.update(t, list(robots.values()), pm)
        for key, down in self.figures.fallen.items():
            if was_down.get(key) and not down:
                self.last_rise[key] = t
        # A clock set back (a new half) starts the history afresh.
        if self.history and t < self.history[-1][0]:
            self.history.clear()
        self.history.append((t, robots))
        while self.history and self.history[0][0] < t - HISTORY:
            self.history.popleft()
        for ft, side, unum in self.figures.fall_list[n:]:
            self.falls.append(self.classify(ft, side, unum, pm))

    def frames_of(self, key):
        return [(t, rs[key]) for t, rs in self.history if key in rs]

    def classify(self, t, side, unum, pm):
        key = (side, unum)
        own = self.frames_of(key)
        onset = None
        for ft, r in reversed(own):
            if ft < t - ONSET_WINDOW:
                break
            if r.up >= UPRIGHT:
                onset = ft
                break
        if onset is None:
            onset = max(t - ONSET_WINDOW, own[0][0]) if own else t
        at_onset = next((r for ft, r in own if ft >= onset), None)
        if at_onset is None:
            at_onset = own[-1][1] if own else None

        # The nearest other robot in the window before the start.
        nearest = None  # (distance, other robot, faller then)
        for ft, rs in self.history:
            if ft < onset - COLLISION_WINDOW or ft > onset:
                continue
            me = rs.get(key)
            if me is None:
                continue
            for k, r in rs.items():
                if k == key:
                    continue
                d = math.hypot(r.pos[0] - me.pos[0], r.pos[1] - me.pos[1])
                if nearest is None or d < nearest[0]:
                    nearest = (d, r, me)

        speed = None
        before = [(ft, r) for ft, r in own if onset - WALK_WINDOW <= ft <= onset]
        if len(before) >= 2 and before[-1][0] > before[0][0]:
            (t0, r0), (t1, r1) = before[0], before[-1]
            speed = math.hypot(r1.pos[0] - r0.pos[0], r1.pos[1] - r0.pos[1]) / (t1 - t0)

        m = self.motions.get(key) if self.motions is not None else None
        if m is not None:
            standup = Motions.active(m.standups, onset, AFTER_MOTION)
            kick = Motions.active(m.kicks, onset, AFTER_MOTION)
        else:
            rose = self.last_rise.get(key)
            standup = rose is not None and onset - rose < RISE_WINDOW
            kick = False

        if nearest is not None and nearest[0] < COLLISION_DIST:
            cause = "teammate" if nearest[1].side == side else "opponent"
        elif standup:
            cause = "standup"
        elif kick:
            cause = "kick"
        elif speed is not None and speed > WALK_SPEED:
            cause = "walking"
        else:
            cause = "other"
        rec = {"time": round(t, 2), "onset": round(onset, 2), "side": side, "unum": unum,
               "play_mode": pm, "cause": cause, "kick": kick, "standup": standup,
               "speed": None if speed is None else round(speed, 3)}
        if nearest is not None:
            d, r, me = nearest
            bearing = math.atan2(r.pos[1] - me.pos[1], r.pos[0] - me.pos[0])
            rec["nearest"] = {"side": r.side, "unum": r.unum, "distance": round(d, 3),
                              "bearing": round(math.degrees(angle_diff(bearing, me.facing)))}
        if at_onset is not None:
            rec["x"], rec["y"] = round(at_onset.pos[0], 2), round(at_onset.pos[1], 2)
        return rec


def counts(falls):
    out = {side: {c: 0 for c, _ in CAUSES} for side in ("left", "right")}
    for f in falls:
        out[f["side"]][f["cause"]] += 1
    return out


def classify_folder(folder, use_logs=True):
    motions, teams = read_logs(folder)
    c = Classifier(motions if use_logs and motions else None)
    for t, pm, robots in read_trace(os.path.join(folder, match.TRACE_NAME)):
        c.feed(t, pm, robots)
    return c.falls, teams


def report(falls, teams, out=sys.stdout, listing=False):
    names = [teams.get("left", "left"), teams.get("right", "right")]
    by = counts(falls)
    w = max(12, max(len(n) for n in names) + 2)
    print("%-28s%s" % ("falls by cause", "".join("%*s" % (w, n) for n in names)), file=out)
    for c, label in CAUSES:
        print("%-28s%s" % (label, "".join("%*d" % (w, by[s][c]) for s in ("left", "right"))), file=out)
    print("%-28s%s" % ("total", "".join("%*d" % (w, sum(by[s].values())) for s in ("left", "right"))),
          file=out)
    if listing:
        print("", file=out)
        for f in falls:
            near = f.get("nearest")
            near_text = ("%s %d at %.2f m, %+d deg" % (
                "mate" if near["side"] == f["side"] else "opp", near["unum"], near["distance"],
                near["bearing"]) if near else "-")
            print("%7.2f %-5s %2d  %-9s start %7.2f  at (%6.2f, %6.2f)  nearest %s%s%s" % (
                f["time"], f["side"], f["unum"], f["cause"], f["onset"], f.get("x", 0.0), f.get("y", 0.0),
                near_text, "  kick" if f["kick"] else "", "  stand-up" if f["standup"] else ""), file=out)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("folder", help="the match's log folder (with trace.jsonl.gz)")
    ap.add_argument("--list", action="store_true", help="print every fall")
    ap.add_argument("--no-logs", action="store_true", help="ignore the players' logs")
    ap.add_argument("--json", metavar="FILE", help="write the counts and the falls as JSON")
    args = ap.parse_args(argv)
    if not os.path.exists(os.path.join(args.folder, match.TRACE_NAME)):
        print("fall_causes.py: no %s in %s" % (match.TRACE_NAME, args.folder), file=sys.stderr)
        return 2
    falls, teams = classify_folder(args.folder, not args.no_logs)
    report(falls, teams, listing=args.list)
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"teams": teams, "counts": counts(falls), "falls": falls}, f, indent=1)
            f.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
