#!/usr/bin/env python3
"""Repeated kick trials against a running soccer server, with a summary.

Runs build/tools/kick_trial (one agent process per trial, each through a
relay so that the agent reaches the server's own port), alternating the
foot, and prints one line per trial (also kept in OUT/results.jsonl) and
the totals: falls, the ball's travel (median) and its direction error
(angle between the ball's displacement and the robot's heading, +x). The server must already run
with ground truth on; the relay is started and ended here.

    tools/kick_trials.py --listen 127.0.0.18 --server-port 3118 \
        --monitor-port 3218 --trials 20 --out /tmp/kicks

A robot counts as still standing when its head (ground-truth camera
position) stayed above --standing metres from the kick's start to the end
of the watch after the kick.

--place is where the robot stands for a kick with the left foot (the
default puts the ball 0.04 m to the robot's left, on the kicking foot's
side); a kick with the right foot starts from its mirror image, the ball
0.04 m to the right, unless --no-mirror keeps the same place for both feet.
--num chooses the robot type as the match agent does (4 and 9 type 1, 8
and 10 type 2, the others type 0).
Run from the source root (the agent reads its data files from there).
"""
import argparse
import json
import math
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import relay as relay_tool  # noqa: E402


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--listen", required=True, help="relay address (127.0.0.N)")
    ap.add_argument("--server-port", type=int, required=True)
    ap.add_argument("--monitor-port", type=int, required=True)
    ap.add_argument("--trials", type=int, default=20)
    ap.add_argument("--type", type=int, default=1, help="kick type (1 generic, 0 little, 2 hip-sway)")
    ap.add_argument("--foot", choices=["both", "left", "right"], default="both")
    ap.add_argument("--place", default="-0.24 -0.04",
                    help="robot x y for a left-foot kick (ball at the centre spot)")
    ap.add_argument("--no-mirror", action="store_true",
                    help="the right foot kicks from --place too, not from its mirror image")
    ap.add_argument("--after", type=float, default=3.0, help="seconds watched after the kick ends")
    ap.add_argument("--standing", type=float, default=0.3, help="head height of a standing robot (m)")
    ap.add_argument("--jitter", type=float, default=0.0,
                    help="each think call first waits a random time up to this many ms")
    ap.add_argument("--num", type=int, default=2)
    ap.add_argument("--tool", default="build/tools/kick_trial")
    ap.add_argument("--out", required=True, help="directory for the logs")
    args = ap.parse_args()

    os.makedirs(args.out, exist_ok=True)
    relay = relay_tool.spawn(["--listen", args.listen, "--server-port", str(args.server_port),
                              "--conns", str(args.trials), "--log", os.path.join(args.out, "relay.jsonl")])
    results = []
    record = open(os.path.join(args.out, "results.jsonl"), "w")
    try:
        for i in range(args.trials):
            foot = args.foot if args.foot != "both" else ("left" if i % 2 == 0 else "right")
            px, py = (float(v) for v in args.place.split())
            if foot == "right" and not args.no_mirror:
                py = -py
            place = "%g %g" % (px, py)
            cmd = [args.tool, f"--host={args.listen}", f"--num={args.num}",
                   f"--mport={args.monitor_port}", f"--foot={foot}", f"--type={args.type}",
                   f"--place={place}", f"--after={args.after}", f"--jitter={args.jitter}",
                   f"--log={os.path.join(args.out, f'trial{i:02d}.jsonl')}"]
            with open(os.path.join(args.out, f"trial{i:02d}.err"), "w") as err:
                p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=err, text=True, timeout=120)
            line = p.stdout.strip().splitlines()[-1] if p.stdout.strip() else "{}"
            r = json.loads(line)
            r["trial"] = i
            results.append(r)
            if r.get("finished"):
                dx = r["ball_end"][0] - r["ball_start"][0]
                dy = r["ball_end"][1] - r["ball_start"][1]
                r["travel"] = math.hypot(dx, dy)
                r["dir_err_deg"] = math.degrees(math.atan2(dy, dx))
                if "orien_end" in r:
                    # How far the robot turned between the kick's start and
                    # the end of the watch.
                    r["turn_deg"] = (r["orien_end"] - r["orien_start"] + 180) % 360 - 180
                # Still standing: the head never went below the mark
                # between the kick's start and the end of the watch.
                r["standing"] = r["min_head"] > args.standing
            print(json.dumps(r), flush=True)
            record.write(json.dumps(r) + "\n")
            record.flush()
            time.sleep(1.0)
    finally:
        # After its last connection the relay ends by itself; a run cut
        # short leaves it waiting for the rest.
        try:
            relay.wait(timeout=5)
        except subprocess.TimeoutExpired:
            relay.kill()
        record.close()

    done = [r for r in results if r.get("finished")]
    for foot in ("left", "right", None):
        rs = [r for r in done if foot is None or r["foot"] == foot]
        if not rs:
            continue
        falls = sum(1 for r in rs if not r["standing"])
        travel = statistics.median(r["travel"] for r in rs)
        errs = [r["dir_err_deg"] for r in rs]
        print(f"{foot or 'all'}: trials {len(rs)}, falls {falls}, "
              f"ball travel median {travel:.2f} m (min {min(r['travel'] for r in rs):.2f}, "
              f"max {max(r['travel'] for r in rs):.2f}), direction error median "
              f"{statistics.median(errs):+.1f} deg (min {min(errs):+.1f}, max {max(errs):+.1f}), "
              f"|error| median {statistics.median(abs(e) for e in errs):.1f} deg" +
              (f", robot turned median {statistics.median(r['turn_deg'] for r in rs):+.1f} deg"
               if all("turn_deg" in r for r in rs) else ""))
    if len(done) != len(results):
        print(f"unfinished trials: {len(results) - len(done)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
