# shellcheck shell=bash
# What the trial scripts (goal_trials.sh, setpiece_trials.sh) share; they
# source it from the source root.

# Ends the running trials of run_trials.
stop_trials() {
    local p
    for p in "${trial_pids[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${trial_pids[@]}"; do wait "$p" 2>/dev/null; done
    exit 130
}

# run_trials TRIALS PARALLEL: calls the sourcing script's function
# `trial I` for I = 1 .. TRIALS, each in the background, PARALLEL at once,
# and waits for them; INT or TERM ends the running ones.
run_trials() {
    trial_pids=()
    trap stop_trials INT TERM
    local i
    for i in $(seq 1 "$1"); do
        trial "$i" &
        trial_pids+=($!)
        while [ "$(jobs -rp | wc -l)" -ge "$2" ]; do
            wait -n
        done
    done
    wait
    trap - INT TERM
}

# play_trial NAME I DIR [VAR=VALUE ...]: tools/play_experiment.sh for trial
# I with the settings given, in a network namespace of its own, its files
# and output (run.out) in DIR. The namespace gives each trial its own
# loopback; the addresses and ports differ anyway so that trials also run
# side by side without one, and the server's run folder needs its own name.
play_trial() {
    local name=$1 i=$2 dir=$3
    shift 3
    mkdir -p "$dir"
    env INSTANCE="$name$$-$i" AGENT_PORT=$((3300 + i % 100)) MONITOR_PORT=$((3400 + i % 100)) \
        RELAY=127.0.0.$((100 + i % 100)) OUT="$dir" "$@" \
        unshare -n bash -c 'ip link set lo up && exec tools/play_experiment.sh' >"$dir/run.out" 2>&1
}
