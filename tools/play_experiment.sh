#!/bin/bash
# One play experiment against the real soccer server, for measurements:
# starts a server instance with ground truth, a relay that logs every frame,
# the players given, kicks off for the left team once they have beamed,
# lets the game run, stops everything it started (by process id) and
# prints tools/match_report.py's figures.
#
#   INSTANCE=mach AGENT_PORT=3112 MONITOR_PORT=3212 RELAY=127.0.0.12 \
#   NUMS="1" PLAY_SECONDS=60 OUT=/tmp/run1 tools/play_experiment.sh
#
# NUMS: uniform numbers of the left team's players (default "1"; "$(seq 1 11)"
# for a team). PROGRAM: the agent program (default build/brevane). PLAY_SECONDS:
# game time after the kick-off (default 60). OUT: folder for the relay log,
# the agents' standard error and the report. TRAINER: trainer commands sent
# once the players have beamed, before the kick-off, for example
# TRAINER="(agent (unum 1)(team Left)(pos -0.9 0.1 0.4))" to start a robot
# elsewhere. GOAL_AFTER: seconds of play after which the trainer rolls the
# ball into the left team's own goal (tools/trainer_goal.py, which retries
# when it did not go in; GOAL_COMMAND: the trainer command that makes the
# goal instead of its roll), so that PLAY_SECONDS then follow the left
# team's kick-off after a goal; unset or 0, no goal. SET_PIECE: a set piece
# of the left team, "MODE X Y" (for example "goal_kick_left -14 0"), after
# SET_PIECE_AFTER seconds of play (default 10): the trainer puts the ball
# on (X, Y) in play on and changes the play mode LIE seconds later (default
# 4; tools/trainer_setpiece.py, its JSON line in set_piece.json), and
# PLAY_SECONDS follow. HOOK: a relay hook file (tools/relay_hooks/) that
# rewrites the agents' commands, with its settings in the environment (for
# example throw.py's THROW_START, to throw the kick-off taker over just
# before the trainer's goal). Run from the source root.
#
# The server is started by the start script of the simulator's folder
# beside this repository (SIM, default ../shared/sim), from its install
# folder: RCSSSERVER3D where it is set (a folder named install, as the
# build script makes it), else the default ~/.cache/rcssserver3d/install.
set -u

INSTANCE=${INSTANCE:?set INSTANCE}
AGENT_PORT=${AGENT_PORT:?set AGENT_PORT}
MONITOR_PORT=${MONITOR_PORT:?set MONITOR_PORT}
RELAY=${RELAY:?set RELAY (a loopback address other than 127.0.0.1)}
NUMS=${NUMS:-1}
PROGRAM=${PROGRAM:-build/brevane}
SECONDS_OF_PLAY=${PLAY_SECONDS:-60}
OUT=${OUT:-/tmp/play-$INSTANCE}
SIM=${SIM:-../shared/sim}
if [ -n "${RCSSSERVER3D:-}" ]; then
    case "${RCSSSERVER3D%/}" in
        */install) export SIM_HOME=$(dirname "${RCSSSERVER3D%/}") ;;
        *) echo "play_experiment.sh: RCSSSERVER3D=$RCSSSERVER3D: the start script needs an install folder named install" >&2
           exit 2 ;;
    esac
fi

mkdir -p "$OUT"
n=$(echo $NUMS | wc -w)
pids=()
relay_pid=
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
    [ -n "$relay_pid" ] && kill "$relay_pid" 2>/dev/null && wait "$relay_pid" 2>/dev/null
    INSTANCE=$INSTANCE "$SIM/stop-server.sh" >/dev/null 2>&1
}
trap cleanup EXIT

INSTANCE=$INSTANCE AGENT_PORT=$AGENT_PORT MONITOR_PORT=$MONITOR_PORT GROUNDTRUTH=1 WAIT_READY=1 \
    "$SIM/start-server.sh" >"$OUT/server.out" 2>&1 || { cat "$OUT/server.out"; exit 1; }
python3 tools/relay.py --listen "$RELAY" --server-port "$AGENT_PORT" --conns "$n" \
    --log "$OUT/relay.jsonl" ${HOOK:+--hook "$HOOK"} >"$OUT/relay.out" 2>&1 &
relay_pid=$!
# The agents give up at once when nobody listens: wait for the relay (a
# loaded machine starts Python slowly).
for _ in $(seq 1 100); do
    grep -q "relay listening" "$OUT/relay.out" 2>/dev/null && break
    sleep 0.1
done
for u in $NUMS; do
    "$PROGRAM" --host="$RELAY" --num="$u" >"$OUT/agent-$u.out" 2>"$OUT/agent-$u.err" &
    pids+=($!)
    sleep 0.3
done
# Time to connect, fall into place and beam.
sleep 6
if [ -n "${TRAINER:-}" ]; then
    "$SIM/monitor.py" --port "$MONITOR_PORT" "$TRAINER" >/dev/null
    sleep 2
fi
"$SIM/monitor.py" --port "$MONITOR_PORT" "(kickOff Left)" >/dev/null
if [ "${GOAL_AFTER:-0}" != 0 ]; then
    sleep "$GOAL_AFTER"
    python3 tools/trainer_goal.py --port "$MONITOR_PORT" ${GOAL_COMMAND:+--command "$GOAL_COMMAND"} | tee "$OUT/goal.txt"
fi
if [ -n "${SET_PIECE:-}" ]; then
    sleep "${SET_PIECE_AFTER:-10}"
    # shellcheck disable=SC2086  # MODE X Y are three arguments
    python3 tools/trainer_setpiece.py --port "$MONITOR_PORT" --lie "${LIE:-4}" $SET_PIECE | tee "$OUT/set_piece.json"
fi
sleep "$SECONDS_OF_PLAY"
sleep 3
cleanup
trap - EXIT
python3 tools/match_report.py "$OUT/relay.jsonl" --seconds "$SECONDS_OF_PLAY" | tee "$OUT/report.txt"
