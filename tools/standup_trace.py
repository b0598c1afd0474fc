#!/usr/bin/env python3
"""Reads a relay log (tools/relay.py --log) of one agent thrown over and
reports each stand-up it played: when it started, whether it stood the
robot up, and the perceived joint angles, accelerometer and commands at
its start and at each key pose.

    tools/standup_trace.py run.jsonl [--conn N] [--poses back|front] [--quiet]

A stand-up call is an agent frame carrying leg and arm speeds with
decimals ("(lle1 0.03)...(lae1 -0.12)"); a run of them is one try. Lying means the head
(ground-truth mypos z) below 0.25 m, standing means it above 0.45 m for
a whole second. The summary line is
    SUMMARY lie=T first=T tries=N first_ok=0|1 up=T lie_to_up=S
with times in seconds after connecting (game-clock "now" differences).
"""
import argparse
import json
import re

from relay import MYPOS_RE, NOW_RE

ACC_RE = re.compile(r"\(ACC \(n torso\) \(a ([-0-9.eE]+) ([-0-9.eE]+) ([-0-9.eE]+)\)\)")
HJ_RE = re.compile(r"\(HJ \(n (\w+)\) \(ax ([-0-9.eE]+)\)\)")
CMD_RE = re.compile(r"\(([lr][al]e\d) ([-0-9.eE]+)\)")
STANDUP_RE = re.compile(r"\(lle1 -?\d+\.\d+\).*\(lae1 -?\d+\.\d+\)")

# Samples (calls) at which each key pose is reached, at 0.01 s a call.
POSES = {"back": [0.1, 0.1, 0.6, 0.5, 0.5, 0.3, 0.5, 0.15],
         "front": [0.1, 0.1, 0.2, 0.5, 0.3, 0.5, 3 * 0.15]}
JOINTS = ["llj1", "llj2", "llj3", "llj4", "llj5", "llj6", "rlj3", "rlj4", "rlj5",
          "laj1", "laj2", "laj3", "laj4", "raj1", "raj2"]


def key_samples(kind, dt=0.01):
    out, c = [], 0
    for T in POSES[kind]:
        c += int(T / dt) + 1
        out.append(c)
    return out


def read(path, conn=None):
    """One dict per server frame of the connection (all when None): time
    since connecting, accelerometer, joint angles, head height and the
    agent frames that answered it."""
    frames = []
    start = None
    hj = {}
    z = None
    for line in open(path):
        e = json.loads(line)
        if conn is not None and e.get("conn", 0) != conn:
            continue
        msg = e["msg"]
        if e["dir"] == "s2a":
            m = NOW_RE.search(msg)
            now = float(m.group(1)) if m else None
            if start is None and now is not None:
                start = now
            m = ACC_RE.search(msg)
            acc = tuple(float(v) for v in m.groups()) if m else None
            for name, v in HJ_RE.findall(msg):
                hj[name] = float(v)
            m = MYPOS_RE.search(msg)
            if m:
                z = float(m.group(3))
            frames.append({"t": (now - start) if now is not None else None, "acc": acc,
                           "hj": dict(hj), "z": z, "cmds": []})
        elif frames:
            frames[-1]["cmds"].append(msg)
    return frames


def fmt_frame(f, cmd):
    hj = " ".join("%s=%.0f" % (j, f["hj"].get(j, 0)) for j in JOINTS)
    acc = "(%.1f %.1f %.1f)" % f["acc"] if f["acc"] else "-"
    cmds = " ".join("%s=%s" % c for c in CMD_RE.findall(cmd))
    return "t=%.2f z=%.2f acc=%s\n      hj: %s\n      cmd: %s" % (f["t"], f["z"] or 0, acc, hj, cmds)


def analyse(frames, throw):
    """The tries (runs of stand-up calls) and the summary of one robot."""
    calls = [(i, c) for i, f in enumerate(frames) for c in f["cmds"]]
    tries, cur = [], None
    for i, c in calls:
        if STANDUP_RE.search(c):
            if cur is None:
                cur = []
                tries.append(cur)
            cur.append((i, c))
        else:
            cur = None
    real = [t for t in tries if len(t) > 5]

    lie = next((f["t"] for f in frames if f["t"] is not None and f["t"] > throw
                and f["z"] is not None and f["z"] < 0.25), None)
    up = None
    if lie is not None:
        for k, f in enumerate(frames):
            if f["t"] is None or f["t"] <= lie or f["z"] is None or f["z"] < 0.45:
                continue
            later = [g for g in frames[k:] if g["t"] is not None and g["t"] <= f["t"] + 1.0]
            if later[-1]["t"] >= f["t"] + 0.98 and all(g["z"] >= 0.45 for g in later if g["z"] is not None):
                up = f["t"]
                break
    first = frames[real[0][0][0]]["t"] if real else None
    second = frames[real[1][0][0]]["t"] if len(real) > 1 else None
    first_ok = up is not None and first is not None and (second is None or up < second)
    return {"tries": real, "lie": lie, "first": first, "up": up, "first_ok": first_ok,
            "lie_to_up": (up - lie) if up is not None and lie is not None else None}


def summary(r):
    def t(v):
        return "%.2f" % v if v is not None else "-"
    return "SUMMARY lie=%s first=%s tries=%d first_ok=%d up=%s lie_to_up=%s" % (
        t(r["lie"]), t(r["first"]), len(r["tries"]), int(r["first_ok"]), t(r["up"]), t(r["lie_to_up"]))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("log")
    ap.add_argument("--poses", default="back", choices=sorted(POSES))
    ap.add_argument("--throw", type=float, default=3.0, help="throw time (s after connecting)")
    ap.add_argument("--conn", type=int, help="connection number in a log of several agents")
    ap.add_argument("--quiet", action="store_true")
    args = ap.parse_args()
    frames = read(args.log, args.conn)
    r = analyse(frames, args.throw)

    if not args.quiet:
        ks = key_samples(args.poses)
        for n, t in enumerate(r["tries"]):
            print("try %d: %d calls from t=%.2f" % (n + 1, len(t), frames[t[0][0]]["t"]))
            # The last sample ends the try without speeds; calls before the
            # motion's own samples held its first one.
            held = max(0, len(t) - (ks[-1] - 1))
            print("  first sample held for %d calls" % held)
            marks = [1] + [held + k for k in ks if held + k <= len(t)]
            for k in marks:
                i, c = t[k - 1]
                print("  call %3d %s" % (k, fmt_frame(frames[i], c)))
    print(summary(r))


if __name__ == "__main__":
    main()
