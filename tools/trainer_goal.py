#!/usr/bin/env python3
"""Makes a goal in a running server as the trainer: rolls the ball into
the left team's own goal, so that the left team has the next kick-off,
and watches the play mode on the monitor port until the server gives the
goal. When it does not (a robot stopped the ball, or the server gave a
corner or goal kick), the game is set to play on, so that the server no
longer holds the ball on a restart spot, and the roll is tried again:

    tools/trainer_goal.py --port 3212 [--tries 3] [--wait 4]

Prints one line (the try and game time of the goal, or the play mode after
the last try); exit status 0 after a goal, 1 without one.
"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "scripts"))
import simmonitor  # noqa: E402

ROLL = "(ball (pos -14.4 0 0.042)(vel -4 0 0))"


def run(port, body, name):
    """body(mon) on a connection to the monitor port whose first messages
    were read; its result is the exit status, 2 when the connection failed
    (name says who failed)."""
    mon = simmonitor.Monitor("127.0.0.1", port)
    try:
        mon.connect(timeout=5.0)
        mon.poll(0.5)
        return body(mon)
    except (OSError, EOFError, simmonitor.ProtocolError) as e:
        print("%s: monitor port %d: %s" % (name, port, e), file=sys.stderr)
        return 2
    finally:
        mon.close()


def play_on(mon):
    """Sets the game to play on unless it is, so that the server no longer
    holds the ball on a restart spot."""
    if mon.state.play_mode != "PlayOn":
        mon.send("(playMode PlayOn)")
        mon.poll(0.5)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--port", type=int, default=3200, help="the server's monitor port")
    ap.add_argument("--tries", type=int, default=3)
    ap.add_argument("--wait", type=float, default=4.0, help="seconds to wait for the goal after each try")
    ap.add_argument("--command", default=ROLL, help="the trainer command that should make the goal")
    args = ap.parse_args(argv)

    def goal(mon):
        for n in range(1, args.tries + 1):
            if n > 1:
                play_on(mon)
            mon.send(args.command)
            deadline = time.monotonic() + args.wait
            while time.monotonic() < deadline:
                mon.poll(0.1)
                if mon.state.play_mode.startswith("Goal_"):
                    print("goal (%s) on try %d at game time %.2f" % (mon.state.play_mode, n, mon.state.time))
                    return 0
        print("no goal after %d tries: play mode %s at game time %.2f" % (
            args.tries, mon.state.play_mode, mon.state.time))
        return 1

    return run(args.port, goal, "trainer_goal.py")


if __name__ == "__main__":
    sys.exit(main())
