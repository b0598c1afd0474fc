# Shared by start.sh and kill.sh (sourced from the source root): where a
# team's record lives and how a recorded player is recognised.

LOGS=${BREVANE_LOGS:-logs}
case "$LOGS" in /*) ;; *) LOGS=$PWD/$LOGS ;; esac

# check_usage MAX USAGE ARGS...: --help prints the usage and ends the
# script (status 0); more than MAX arguments end it with status 2.
check_usage() {
    local max=$1 usage=$2
    shift 2
    if [ "${1:-}" = "--help" ] || [ "${1:-}" = "-h" ]; then
        echo "usage: $usage"
        exit 0
    fi
    if [ $# -gt "$max" ]; then
        echo "usage: $usage" >&2
        exit 2
    fi
}

# Team names become file names and go into the init message, which ends at
# a space or a parenthesis.
check_team_name() {
    if [[ ! "$1" =~ ^[A-Za-z0-9_.-]+$ ]] || [ "$1" = . ] || [ "$1" = .. ]; then
        echo "bad team name '$1': use letters, digits, '_', '-' and '.'" >&2
        return 1
    fi
}

pid_file() { echo "$LOGS/$1.pids"; }

# True when process $1 is player $2 of team $3 as start.sh started it: a
# recorded id may belong to another program by now.
is_player() {
    local cmd
    cmd=$(tr "\0" "\n" 2>/dev/null < "/proc/$1/cmdline") || return 1
    case "$(echo "$cmd" | head -n 1)" in */brevane|*/brevane-b) ;; *) return 1 ;; esac
    echo "$cmd" | grep -qxF -- "--team=$3" && echo "$cmd" | grep -qxF -- "--num=$2"
}

# The recorded players of team $1 (record $2) still running, as " N" each.
live_players() {
    local n pid log out=""
    while read -r n pid log; do
        is_player "$pid" "$n" "$1" && out="$out $n"
    done < "$2"
    echo "$out"
}

# True when process $1 has an established TCP connection to port 3100.
connected() {
    local inodes
    inodes=$(ls -l "/proc/$1/fd" 2>/dev/null | sed -n 's/.*socket:\[\([0-9]*\)\].*/\1/p' | tr '\n' ' ')
    [ -n "$inodes" ] || return 1
    awk -v list=" $inodes" '
        FNR > 1 && $4 == "01" && substr($3, index($3, ":") + 1) == "0C1C" &&
            index(list, " " $10 " ") { found = 1 }
        END { exit !found }' "/proc/$1/net/tcp" "/proc/$1/net/tcp6" 2>/dev/null
}
