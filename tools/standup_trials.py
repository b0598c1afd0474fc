#!/usr/bin/env python3
"""Throws robots over in a real server and counts the stand-ups that work
on their first try.

    tools/standup_trials.py --server-port 3117 --listen 127.0.0.17 \\
        --rounds 3 --agents 7 --direction back --out /tmp/trials

Each round starts one relay (tools/relay.py with the throw hook of
tools/relay_hooks/throw.py) and --agents agents of build/brevane on it.
Every robot is beamed to a place of its own on the left half with a
heading of its own, then thrown on its back (or front) by one of three
leg-command throws, of a length and at a time of its own, and watched for
--seconds. The server must be running before kick-off (the game clock
stands, so nothing else moves the robots).

One line per robot (tools/standup_trace.py's summary) and a closing line
with the count of first tries that stood the robot up and the time from
lying (head below 0.25 m) to standing (head above 0.45 m for a second):
median and worst; with robots of several types (chosen by the uniform
numbers, --unums), one such line per type as well. With --teams 2 every
second agent plays for a second team (--team2), whose beams the server
mirrors into the right half, so that a type of only two uniform numbers
(4 and 9, 8 and 10) can still throw four robots a round:

    tools/standup_trials.py --server-port 3117 --listen 127.0.0.17 \\
        --agents 8 --teams 2 --unums 4,4,9,9,8,8,10,10 --direction front
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import relay as relay_tool  # noqa: E402
import standup_trace  # noqa: E402

THROWS = {
    "back": ["(lle3 -6)(rle3 -6)(lle4 4)(rle4 4)(lle5 -4)(rle5 -4)",
             "(lle3 -4)(rle3 -4)",
             "(lle5 -5)(rle5 -5)"],
    "front": ["(lle3 6)(rle3 6)(lle4 -4)(rle4 -4)(lle5 4)(rle5 4)",
              "(lle3 4)(rle3 4)",
              "(lle5 5)(rle5 5)"],
}
# Uniform numbers of the standard robot type (4 and 9 play type 1, 8 and
# 10 type 2).
UNUMS = [1, 2, 3, 5, 6, 7, 11]


def robot_type(unum):
    """The robot type the match agent fields for a uniform number."""
    return 1 if unum in (4, 9) else 2 if unum in (8, 10) else 0


def run_round(args, rnd, rng, here):
    n = args.agents
    places = [(-13 + 4 * (k % 4), -6 + 6 * (k // 4) + 3 * (rnd % 2)) for k in range(n)]
    headings = [rng.randrange(-180, 180) for _ in range(n)]
    throws = [THROWS[args.direction][(rnd * n + k) % 3] for k in range(n)]
    frames = [rng.randrange(12, 19) for _ in range(n)]
    starts = [rng.randrange(150, 175) for _ in range(n)]
    env = dict(os.environ,
               THROW_CMDS=";".join(throws),
               THROW_FRAMES=";".join(map(str, frames)),
               THROW_START=";".join(map(str, starts)),
               THROW_BEAM=";".join("%d %d %d" % (x, y, h) for (x, y), h in zip(places, headings)))
    log = os.path.join(args.out, "%s_%d.jsonl" % (args.tag, rnd))
    relay = relay_tool.spawn(["--listen", args.listen, "--server-port", str(args.server_port), "--conns",
                              str(n), "--log", log, "--hook", os.path.join(here, "relay_hooks", "throw.py")],
                             env=env)
    agents = []
    for k in range(n):
        team = args.team2 if args.teams == 2 and k % 2 == 1 else args.team
        agents.append(subprocess.Popen([args.bin, "--host=" + args.listen, "--num=%d" % args.unums[k],
                                        "--team=" + team],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        # One at a time, so that the relay numbers the connections in this order.
        time.sleep(0.3)
    time.sleep(args.seconds)
    for a in agents:
        a.terminate()
    for a in agents:
        a.wait()
    try:
        relay.wait(timeout=10)
    except subprocess.TimeoutExpired:
        # A loaded machine may leave the relay waiting on a connection;
        # its log is complete once the agents have ended.
        relay.terminate()
        relay.wait()
    results = []
    for k in range(n):
        r = standup_trace.analyse(standup_trace.read(log, k), starts[k] / 50.0)
        print("%s round %d robot %d unum %d heading %4d throw %-50s %2d frames at %d: %s" % (
            args.tag, rnd, k, args.unums[k], headings[k], throws[k], frames[k], starts[k], standup_trace.summary(r)),
            flush=True)
        r["unum"] = args.unums[k]
        results.append(r)
    return results


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--bin", default="build/brevane")
    ap.add_argument("--listen", required=True, help="relay address (127.0.0.N)")
    ap.add_argument("--server-port", type=int, required=True)
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--agents", type=int, default=7, choices=range(1, 23))
    ap.add_argument("--teams", type=int, default=1, choices=(1, 2),
                    help="2: every second agent plays for --team2")
    ap.add_argument("--team", default="Qorvex-SIM")
    ap.add_argument("--team2", default="Qorvex-SIM2")
    ap.add_argument("--unums", default=",".join(map(str, UNUMS)),
                    help="uniform numbers of the agents, in order (as many as --agents)")
    ap.add_argument("--direction", default="back", choices=sorted(THROWS))
    ap.add_argument("--seconds", type=float, default=13.0, help="watching time of a round")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--out", default=".")
    ap.add_argument("--tag", default="trial")
    args = ap.parse_args()
    args.unums = [int(u) for u in args.unums.split(",")]
    if len(args.unums) < args.agents:
        ap.error("fewer --unums than --agents")
    # The relay writes its log there and gives up on a folder that is not.
    os.makedirs(args.out, exist_ok=True)
    here = os.path.dirname(os.path.abspath(__file__))
    rng = random.Random(args.seed)
    results = []
    for rnd in range(args.rounds):
        results += run_round(args, rnd, rng, here)
    types = sorted(set(robot_type(r["unum"]) for r in results))
    groups = [("", results)]
    if len(types) > 1:
        groups += [(" type %d" % t, [r for r in results if robot_type(r["unum"]) == t]) for t in types]
    elif types:
        groups = [(" type %d" % types[0], results)]
    for label, rs in groups:
        ok = [r for r in rs if r["first_ok"]]
        times = sorted(r["lie_to_up"] for r in rs if r["lie_to_up"] is not None)
        print("%s%s: first try stood the robot up %d of %d; lying to standing: median %s s, worst %s s "
              "(%d of %d stood up at all)" % (
                  args.tag, label, len(ok), len(rs),
                  "%.2f" % statistics.median(times) if times else "-",
                  "%.2f" % times[-1] if times else "-", len(times), len(rs)))


if __name__ == "__main__":
    main()
