#!/usr/bin/env bash
# Plays one local match on this machine and prints its result.
#
#   scripts/match.sh [--left PROG] [--right PROG] [--left-team NAME]
#                    [--right-team NAME] [--players N] [--seconds N] [--json FILE]
#
# Uses the soccer server listening on 127.0.0.1:3100 (monitor port 3200), or
# starts one from RCSSSERVER3D (its install folder), PATH or the default
# install folder ~/.cache/rcssserver3d/install; when there is none it says
# how to get one and ends with exit status 2. Starts the left team (brevane) and the right team
# (brevane-b) with scripts/start.sh, kicks off both halves, shows the game
# time, play mode and score while the match runs, and at its end prints the
# result with each team's goals, falls (per minute, per robot-minute, per
# player and per minute of game time), time in the opponent half and the
# set pieces awarded against it, writes it as JSON and stops everything it
# started. The match's trace.jsonl.gz holds the robots' poses and the ball
# of every monitor message (tools/fall_causes.py reads it). --seconds N ends the match
# after N seconds of game time; Ctrl-C stops it. Logs: logs/match-*/
# (BREVANE_LOGS moves logs/). Exit status 0 after a match, 1 when it could
# not be played, 2 for bad options or no server, 130 when interrupted.
cd "$(dirname "$0")/.." || exit 1
if ! command -v python3 >/dev/null; then
    echo "match.sh: python3 is needed" >&2
    exit 2
fi
exec python3 scripts/match.py "$@"
