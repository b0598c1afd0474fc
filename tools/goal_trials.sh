#!/bin/bash
# Repeated trials of the left team's kick-off after a goal: per trial,
# players 1-3 of the left team alone against the real server
# (tools/play_experiment.sh in a network namespace of its own), the
# kick-off, GOAL_AFTER seconds of play, then the trainer rolls the ball
# into the left team's own goal (tools/trainer_goal.py), and PLAY_SECONDS
# more, in which the left team kicks off again. At the end, per trial the
# first touch of the kick-off after the goal (the server's play on; or
# "dropped" when the server dropped the ball after 15 s, or "free kick"
# when a free kick for the opponents followed within 20 s), then the median
# first touch, the count under 10 s, the drops and the free kicks.
#
#   PROGRAM=build/brevane-b TRIALS=5 PARALLEL=2 tools/goal_trials.sh
#
# TRIALS: number of trials (default 5; also the first argument). PROGRAM:
# the agent program (default build/brevane). PARALLEL: trials at once
# (default 1; each plays in real time on about three cores). GOAL_AFTER:
# seconds of play before the goal (default a random 25-45 per trial); 0
# makes no goal and measures the kick-off at the half's start instead.
# PLAY_SECONDS: play after the goal (default 30). OUT: folder of the
# trials (default /tmp/goal-trials-PID), one trial-N folder each with
# play_experiment.sh's files. Run from the source root, as root (for the
# namespaces).
set -u
cd "$(dirname "$0")/.." || exit 1

TRIALS=${1:-${TRIALS:-5}}
PROGRAM=${PROGRAM:-build/brevane}
PARALLEL=${PARALLEL:-1}
PLAY_SECONDS=${PLAY_SECONDS:-30}
OUT=${OUT:-/tmp/goal-trials-$$}
if [ ! -x "$PROGRAM" ]; then
    echo "goal_trials.sh: no program $PROGRAM" >&2
    exit 2
fi
mkdir -p "$OUT"
. tools/trials.sh

trial() {
    local goal=${GOAL_AFTER:-$((25 + RANDOM % 21))} dir=$OUT/trial-$1
    echo "trial $1: $PROGRAM, goal after ${goal} s (0: none), folder $dir"
    mkdir -p "$dir"
    echo "$goal" >"$dir/goal_after"
    play_trial goal "$1" "$dir" NUMS="1 2 3" PROGRAM="$PROGRAM" GOAL_AFTER="$goal" PLAY_SECONDS="$PLAY_SECONDS"
}
run_trials "$TRIALS" "$PARALLEL"

python3 - "$OUT" "$TRIALS" <<'EOF' | tee "$OUT/summary.txt"
import os
import statistics
import sys

sys.path.insert(0, "tools")
import match_report  # noqa: E402

out, trials = sys.argv[1], int(sys.argv[2])
touches, under, drops, free_kicks = [], 0, 0, 0
for i in range(1, trials + 1):
    d = os.path.join(out, "trial-%d" % i)
    goal = open(os.path.join(d, "goal_after")).read().strip()
    log = os.path.join(d, "relay.jsonl")
    want = "start" if goal == "0" else "goal"
    kos = []
    if os.path.exists(log):
        kos = [k for k in match_report.kickoffs(match_report.read_log(log)) if k["after"] == want]
    what = "the kick-off at the start" if want == "start" else "the kick-off after the goal (goal after %s s)" % goal
    if not kos:
        print("trial %d: no %s" % (i, what[4:]))
        continue
    k = kos[0]
    if k["end"] == "dropped":
        drops += 1
        result = "dropped"
    elif k["end"] != "play on":
        result = k["end"]
    else:
        # The server plays on at the first touch; a soft push moves the
        # ball 5 cm only later.
        result = "first touch %.2f s (ball 5 cm off at %s)" % (
            k["duration"], "%.2f s" % k["first_touch"] if k["first_touch"] is not None else "-")
        touches.append(k["duration"])
        under += k["duration"] < 10.0
    if k["free_kick_against"]:
        free_kicks += 1
        result = "free kick (%s %.2f s after play on); %s" % (
            k["free_kick_against"]["mode"], k["free_kick_against"]["after_play_on"], result)
    print("trial %d, %s: %s; touches: %s" % (i, what, result, ", ".join(
        "%.2f unum %s" % (t["time"], t["unum"]) for t in k["touches"]) or "none"))
print("summary over %d trials: median first touch %s, %d under 10 s, %d dropped, %d free kicks for the opponents"
      % (trials, "%.2f s" % statistics.median(touches) if touches else "-", under, drops, free_kicks))
EOF
