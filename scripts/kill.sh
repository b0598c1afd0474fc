#!/usr/bin/env bash
# Stops the players of a team that scripts/start.sh started.
#
#   scripts/kill.sh [TEAM]
#
# TEAM defaults to the program's own team name, Qorvex-SIM. Only the process
# ids recorded in $BREVANE_LOGS/TEAM.pids (default logs/) are signalled, and
# each only while it still is that player: first SIGINT (the player ends
# after its cycle), after 5 s SIGTERM. Exit status 0 when every player has
# stopped, 1 when the team was not running or a player did not stop, 2 for
# bad arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/team-common.sh
. scripts/team-common.sh

check_usage 1 "scripts/kill.sh [TEAM]" "$@"
TEAM=${1:-Qorvex-SIM}
check_team_name "$TEAM" || exit 2
PIDS=$(pid_file "$TEAM")

if [ ! -f "$PIDS" ]; then
    echo "kill.sh: team $TEAM is not running (no record $PIDS)" >&2
    exit 1
fi
alive=$(live_players "$TEAM" "$PIDS")
if [ -z "$alive" ]; then
    echo "kill.sh: team $TEAM is not running (its recorded players have all ended)" >&2
    rm -f "$PIDS"
    exit 1
fi

pid_of() { awk -v n="$1" '$1 == n {print $2; exit}' "$PIDS"; }

# Sends signal $1 to the players in $2; waits up to $3 s; prints those left.
stop_players() {
    local n left
    for n in $2; do
        is_player "$(pid_of "$n")" "$n" "$TEAM" && kill -s "$1" "$(pid_of "$n")" 2>/dev/null || true
    done
    local deadline=$((SECONDS + $3))
    while :; do
        left=""
        for n in $2; do
            is_player "$(pid_of "$n")" "$n" "$TEAM" && left="$left $n"
        done
        if [ -z "$left" ] || [ $SECONDS -ge $deadline ]; then
            break
        fi
        sleep 0.1
    done
    echo "$left"
}

left=$(stop_players INT "$alive" 5)
[ -z "$left" ] || left=$(stop_players TERM "$left" 3)

count=$(echo "$alive" | wc -w)
if [ -n "$left" ]; then
    for n in $left; do
        echo "kill.sh: player $n of $TEAM (pid $(pid_of "$n")) did not stop" >&2
    done
    exit 1
fi
rm -f "$PIDS"
echo "stopped $count players of $TEAM"
