#!/usr/bin/env bash
# Fuzzes the layers that read bytes from the network or from files: the
# S-expression reader, the perception parser with the agent's think cycle
# on top, and the strategy file loader. Builds them with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer into build-fuzz/
# (FUZZ_BUILD_DIR overrides it) and runs each for FUZZ_SECONDS seconds
# (default 60), starting from the recorded server messages, the shipped
# strategy files and fuzz/regressions/<target>/. Fails on any crash,
# sanitizer report, leak or time-out; the input is then saved as
# build-fuzz/artifacts/<target>-* — add it to fuzz/regressions/<target>/
# and the normal test suite replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${FUZZ_SECONDS:-60}"
BUILD_DIR="${FUZZ_BUILD_DIR:-build-fuzz}"
TARGETS="${FUZZ_TARGETS:-sexp perception strategy}"

missing=""
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -DBREVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake --build "$BUILD_DIR" -j"$(nproc)"

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

status=0
mkdir -p "$BUILD_DIR/artifacts"
for t in $TARGETS; do
  corpus="$BUILD_DIR/corpus/$t"
  [ -d "$corpus" ] || seed "$t" "$corpus"
  log="$BUILD_DIR/fuzz-$t.log"
  echo "== fuzz_$t for ${SECONDS_EACH} s"
  set +e
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  "$BUILD_DIR/fuzz/fuzz_$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
    -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$BUILD_DIR/artifacts/$t-" \
    "$corpus" "fuzz/regressions/$t" > "$log" 2>&1
  rc=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "   ${runs:-?} executions, exit status $rc"
  if [ $rc -ne 0 ]; then
    status=1
    tail -n 60 "$log"
    echo "fuzz_$t failed; the input is in $BUILD_DIR/artifacts/ (add it to fuzz/regressions/$t/)"
  fi
done
exit $status
