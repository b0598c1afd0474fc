#!/usr/bin/env bash
# Starts a team: players 1 to 11 of brevane against a soccer server.
#
#   scripts/start.sh [HOST] [TEAM]
#
# HOST is the server's address (default 127.0.0.1; the port is always
# 3100), TEAM the team name (default the program's own, Qorvex-SIM).
# Environment:
#   BREVANE_PROGRAM  brevane (default) or brevane-b
#   BREVANE_PLAYERS  how many players, numbers 1 to N (default 11)
#   BREVANE_LOGS     folder of the logs and of the team records (default logs/)
#   BREVANE_LOG_DIR  folder of this start's player logs
#                    (default $BREVANE_LOGS/TEAM-YYYYmmdd-HHMMSS)
#   BUILD_DIR        build folder of the programs (default build)
#
# Each player runs in the background from the source root, its output in
# player-N.log of the log folder; player-N.status receives its exit status
# when it ends. The team's process ids are recorded in $BREVANE_LOGS/TEAM.pids
# for scripts/kill.sh. The script returns once every player has connected
# (exit status 0) or says which did not (exit status 1); bad arguments give
# exit status 2.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
# shellcheck source=scripts/team-common.sh
. scripts/team-common.sh

check_usage 2 "scripts/start.sh [HOST] [TEAM]" "$@"
HOST=${1:-127.0.0.1}
TEAM=${2:-Qorvex-SIM}
PROGRAM=${BREVANE_PROGRAM:-brevane}
PLAYERS=${BREVANE_PLAYERS:-11}
BUILD_DIR=${BUILD_DIR:-build}
CONNECT_WAIT=10   # seconds for every player to connect

check_team_name "$TEAM" || exit 2
case "$PROGRAM" in
    brevane|brevane-b) ;;
    *) echo "start.sh: BREVANE_PROGRAM must be brevane or brevane-b, not '$PROGRAM'" >&2; exit 2 ;;
esac
case "$PLAYERS" in
    [1-9]|1[01]) ;;
    *) echo "start.sh: BREVANE_PLAYERS must be 1 to 11, not '$PLAYERS'" >&2; exit 2 ;;
esac
if [ -z "$HOST" ] || [[ "$HOST" == *[[:space:]]* ]]; then
    echo "start.sh: bad server address '$HOST'" >&2
    exit 2
fi

mkdir -p "$LOGS"
PIDS=$(pid_file "$TEAM")
if [ -f "$PIDS" ]; then
    alive=$(live_players "$TEAM" "$PIDS")
    if [ -n "$alive" ]; then
        echo "start.sh: team $TEAM is already running (players:$alive; see $PIDS); stop it with scripts/kill.sh $TEAM" >&2
        exit 1
    fi
    rm -f "$PIDS"   # a record of players that have all ended
fi

case "$BUILD_DIR" in /*) ;; *) BUILD_DIR=$ROOT/$BUILD_DIR ;; esac
BIN=$BUILD_DIR/$PROGRAM
if [ ! -x "$BIN" ]; then
    echo "start.sh: $BIN is not built; building it" >&2
    if [ -f "$BUILD_DIR/CMakeCache.txt" ]; then
        cmake --build "$BUILD_DIR" --target "$PROGRAM" -j"$(nproc)" >&2
    else
        BUILD_DIR=$BUILD_DIR scripts/setup.sh >&2
    fi
    [ -x "$BIN" ] || { echo "start.sh: building $PROGRAM failed" >&2; exit 1; }
fi

LOG_DIR=${BREVANE_LOG_DIR:-$LOGS/$TEAM-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$LOG_DIR"
LOG_DIR=$(cd "$LOG_DIR" && pwd)
: > "$PIDS"

# The server spawns a robot a while after its connection; robots spawned at
# nearly the same time were seen to collide and to stall the server.
GAP=0.5

# Each player gets a waiting shell of its own, in a session of its own (so a
# closed terminal or a Ctrl-C meant for something else does not reach it),
# which records the player's process id and, at its end, its exit status.
# Every id goes into the team record at once, so that an interrupted start
# leaves a record kill.sh can use.
trap 'echo "start.sh: interrupted; stop the players started so far with scripts/kill.sh $TEAM" >&2; exit 130' INT TERM
failed=0
for n in $(seq 1 "$PLAYERS"); do
    base=$LOG_DIR/player-$n
    rm -f "$base.pid" "$base.status"
    setsid bash -c '"$1" --host="$2" --team="$3" --num="$4" </dev/null >"$5.log" 2>&1 &
                    echo $! >"$5.pid.tmp" && mv "$5.pid.tmp" "$5.pid"
                    wait $!
                    echo $? >"$5.status"' \
        start-player "$BIN" "$HOST" "$TEAM" "$n" "$base" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 1 100); do
        [ -s "$base.pid" ] && break
        sleep 0.02
    done
    if [ -s "$base.pid" ]; then
        echo "$n $(cat "$base.pid") $base.log" >> "$PIDS"
    else
        echo "start.sh: player $n did not start" >&2
        failed=1
    fi
    [ "$n" = "$PLAYERS" ] || sleep "$GAP"
done

# Wait until each player is connected to port 3100 or has ended.
deadline=$((SECONDS + CONNECT_WAIT))
pending=$(awk '{print $1}' "$PIDS")
while [ -n "$pending" ] && [ $SECONDS -lt $deadline ]; do
    still=""
    for n in $pending; do
        pid=$(awk -v n="$n" '$1 == n {print $2}' "$PIDS")
        if connected "$pid" || [ -e "$LOG_DIR/player-$n.status" ]; then
            continue
        fi
        still="$still $n"
    done
    pending=$still
    [ -z "$pending" ] || sleep 0.1
done

up=0
while read -r n pid log; do
    if [ -e "$LOG_DIR/player-$n.status" ] || ! kill -0 "$pid" 2>/dev/null; then
        echo "player $n of $TEAM ended (exit status $(cat "$LOG_DIR/player-$n.status" 2>/dev/null || echo '?')): $(tail -n 1 "$log" 2>/dev/null) (log: $log)" >&2
        failed=1
    elif ! connected "$pid"; then
        echo "player $n of $TEAM: not connected to $HOST:3100 after $CONNECT_WAIT s, still trying (pid $pid, log: $log)" >&2
        failed=1
        up=$((up + 1))
    else
        up=$((up + 1))
    fi
done < "$PIDS"
# A record whose players have all ended is no running team.
if [ "$up" -eq 0 ]; then
    rm -f "$PIDS"
fi

if [ "$failed" = 0 ]; then
    word=players; [ "$PLAYERS" = 1 ] && word=player
    echo "started $PLAYERS $word of $TEAM ($PROGRAM) on $HOST:3100; logs in $LOG_DIR; stop with scripts/kill.sh $TEAM"
    exit 0
fi
echo "start.sh: $up of $PLAYERS players of $TEAM are running; logs in $LOG_DIR" >&2
exit 1
