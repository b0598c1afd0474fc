#!/usr/bin/env python3
"""Gives a set piece in a running server as the trainer: puts the ball on
the spot in play on, lets it lie there LIE seconds of game time (the
players walk towards it, as in a game they follow the ball before it goes
out), puts it back on the spot (a player may have moved it) and changes the
play mode; the server takes the ball's place as the spot:

    tools/trainer_setpiece.py --port 3212 [--lie 4] goal_kick_left -14 0

Prints one JSON line: the play mode, the spot, the lie, the game time the
ball was put there and the time the mode was asked for, where the ball lay
then, and the play mode seen after; exit status 0 when the server took the
mode, 1 when not.
"""
import argparse
import json
import sys
import time

from trainer_goal import play_on, run

# Ball radius: the ball lies on the ground.
BALL_Z = 0.042


def wait_game_time(mon, until, limit):
    """Polls until the game time reaches until, or limit wall seconds."""
    deadline = time.monotonic() + limit
    while mon.state.time < until and time.monotonic() < deadline:
        mon.poll(0.05)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--port", type=int, default=3200, help="the server's monitor port")
    ap.add_argument("--lie", type=float, default=4.0, help="game seconds the ball lies on the spot in play on")
    ap.add_argument("mode", help="the set piece's play mode, e.g. goal_kick_left or KickIn_Left")
    ap.add_argument("x", type=float)
    ap.add_argument("y", type=float)
    args = ap.parse_args(argv)
    place = "(ball (pos %g %g %g)(vel 0 0 0))" % (args.x, args.y, BALL_Z)

    def set_piece(mon):
        # The ball lies in play until the set piece begins.
        play_on(mon)
        before = mon.state.play_mode
        mon.send(place)
        mon.poll(0.1)
        placed = mon.state.time
        wait_game_time(mon, placed + args.lie, args.lie * 3 + 5)
        ball = mon.scene.ball()
        mon.send(place)
        mon.send("(playMode %s)" % args.mode)
        asked = mon.state.time
        deadline = time.monotonic() + 2.0
        while mon.state.play_mode != args.mode and time.monotonic() < deadline:
            mon.poll(0.05)
        print(json.dumps({
            "mode": args.mode, "spot": [args.x, args.y], "lie": args.lie, "mode_before": before,
            "placed_at": round(placed, 2), "mode_asked_at": round(asked, 2),
            "ball_before_mode": [round(v, 2) for v in ball] if ball else None,
            "mode_seen": mon.state.play_mode, "mode_seen_at": round(mon.state.time, 2)}))
        return 0 if mon.state.play_mode == args.mode else 1

    return run(args.port, set_piece, "trainer_setpiece.py")


if __name__ == "__main__":
    sys.exit(main())
