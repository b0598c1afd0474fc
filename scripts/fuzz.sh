#!/usr/bin/env bash
# Fuzzes the layers that read bytes from the network or from files: the
# S-expression reader, the perception parser with the agent's think cycle
# on top, and the strategy file loader. Their libFuzzer programs live in
# the sanitizer tree of sanitize.sh (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer; build-sanitize/, FUZZ_BUILD_DIR overrides it):
# this builds just them there (nothing when sanitize.sh has built the tree)
# and runs them side by side for FUZZ_SECONDS seconds each (default 60),
# starting from the recorded server messages, the shipped strategy files
# and fuzz/regressions/<target>/. Fails on any crash, sanitizer report,
# leak or time-out; the input is then saved as
# <build dir>/artifacts/<target>-* — add it to fuzz/regressions/<target>/
# and the normal test suite replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${FUZZ_SECONDS:-60}"
BUILD_DIR="${FUZZ_BUILD_DIR:-build-sanitize}"
TARGETS="${FUZZ_TARGETS:-sexp perception strategy}"

. scripts/build-common.sh
brevane_install_packages scripts/fuzz.sh clang libclang-rt-14-dev

brevane_configure_sanitize "$BUILD_DIR"
programs=()
for t in $TARGETS; do programs+=("fuzz_$t"); done
cmake --build "$BUILD_DIR" -j"$(nproc)" --target "${programs[@]}"

# Seeds: one file per recorded server message, and the strategy files.
seed() {
  local target=$1 dir=$2
  mkdir -p "$dir"
  case $target in
    sexp|perception)
      for f in tests/data/capture/*.txt tests/data/server_*.txt; do
        split -l 1 -a 4 "$f" "$dir/$(basename "$f" .txt)-"
      done ;;
    strategy)
      cp strategies/*/*.xml "$dir/" ;;
  esac
}

# Each target on a core of its own, all at once.
mkdir -p "$BUILD_DIR/artifacts"
pids=()
for t in $TARGETS; do
  corpus="$BUILD_DIR/corpus/$t"
  [ -d "$corpus" ] || seed "$t" "$corpus"
  echo "== fuzz_$t for ${SECONDS_EACH} s"
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  "$BUILD_DIR/fuzz/fuzz_$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
    -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$BUILD_DIR/artifacts/$t-" \
    "$corpus" "fuzz/regressions/$t" > "$BUILD_DIR/fuzz-$t.log" 2>&1 &
  pids+=($!)
done

status=0
i=0
for t in $TARGETS; do
  log="$BUILD_DIR/fuzz-$t.log"
  rc=0
  wait "${pids[$i]}" || rc=$?
  i=$((i + 1))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "   fuzz_$t: ${runs:-?} executions, exit status $rc"
  if [ $rc -ne 0 ]; then
    status=1
    tail -n 60 "$log"
    echo "fuzz_$t failed; the input is in $BUILD_DIR/artifacts/ (add it to fuzz/regressions/$t/)"
  fi
done
exit $status
