#!/bin/bash
# Repeated trials of the left team's own set pieces: per trial, the whole
# left team (players 1-11) alone against the real server
# (tools/play_experiment.sh in a network namespace of its own), the
# kick-off and PLAY_BEFORE seconds of play, then the trainer puts the ball
# on the set piece's spot in play on, so that the players walk towards it
# as in a game, and LIE seconds later gives the set piece
# (tools/trainer_setpiece.py): a goal kick at (-14, 0) or a kick-in at
# (-3, 9.9) or (-3, -9.9), by turns. PLAY_SECONDS more follow. At the end
# tools/setpiece_report.py: per trial the nearest player's distance from
# the ball as the set piece began, taken (with the first touch) or dropped,
# who touched it and a free kick for the opponents; per kind the taken and
# dropped among those with a player within 4 m and the median first touch.
#
#   PROGRAM=build/brevane-b KIND=kick_in TRIALS=4 PARALLEL=2 tools/setpiece_trials.sh
#
# TRIALS: number of trials (default 4; also the first argument). PROGRAM:
# the agent program (default build/brevane). KIND: goal_kick (default) or
# kick_in. LIE: game seconds the ball lies on the spot in play on before
# the set piece (default 4; 0.3 puts it there as the set piece begins).
# PARALLEL: trials at once (default 1; each plays in real time with eleven
# agents). PLAY_BEFORE: seconds of play before the ball is put on the spot
# (default a random 10-20 per trial). PLAY_SECONDS: play after the set
# piece (default 36: the drop at 15 s and the 20 s after it in which a
# free kick for the opponents counts). OUT: folder of the trials (default
# /tmp/setpiece-trials-PID), one trial-N folder each with
# play_experiment.sh's files (relay.jsonl, agent-N.err, for
# tools/state_trace) and the trainer's set_piece.json; the summary in
# summary.txt and summary.json. Run from the source root, as root (for the
# namespaces).
set -u
cd "$(dirname "$0")/.." || exit 1

TRIALS=${1:-${TRIALS:-4}}
PROGRAM=${PROGRAM:-build/brevane}
KIND=${KIND:-goal_kick}
LIE=${LIE:-4}
PARALLEL=${PARALLEL:-1}
PLAY_SECONDS=${PLAY_SECONDS:-36}
OUT=${OUT:-/tmp/setpiece-trials-$$}
if [ ! -x "$PROGRAM" ]; then
    echo "setpiece_trials.sh: no program $PROGRAM" >&2
    exit 2
fi
case "$KIND" in
    goal_kick | kick_in) ;;
    *) echo "setpiece_trials.sh: KIND is goal_kick or kick_in, not $KIND" >&2
       exit 2 ;;
esac
mkdir -p "$OUT"
. tools/trials.sh

trial() {
    local before=${PLAY_BEFORE:-$((10 + RANDOM % 11))} dir=$OUT/trial-$1 set_piece
    if [ "$KIND" = goal_kick ]; then
        set_piece="goal_kick_left -14 0"
    elif [ $(($1 % 2)) = 1 ]; then
        set_piece="KickIn_Left -3 9.9"
    else
        set_piece="KickIn_Left -3 -9.9"
    fi
    echo "trial $1: $PROGRAM, $set_piece after ${before} s of play, the ball lying ${LIE} s before, folder $dir"
    play_trial setpiece "$1" "$dir" NUMS="$(seq -s " " 1 11)" PROGRAM="$PROGRAM" SET_PIECE="$set_piece" \
        SET_PIECE_AFTER="$before" LIE="$LIE" PLAY_SECONDS="$PLAY_SECONDS"
}
run_trials "$TRIALS" "$PARALLEL"

folders=()
for i in $(seq 1 "$TRIALS"); do folders+=("$OUT/trial-$i"); done
python3 tools/setpiece_report.py "${folders[@]}" --json "$OUT/summary.json" | tee "$OUT/summary.txt"
