#!/usr/bin/env bash
# The one command to build and test. Installs the packages and builds
# build/ (setup.sh; warnings are errors unless WERROR=0), runs every test
# there, then builds the tree again with AddressSanitizer and
# UndefinedBehaviorSanitizer (sanitize.sh) and runs every test there with
# leak detection on. SANITIZE=0 skips the second tree. When a test against
# the real server fails, or the sanitizer tree does not build, its tests
# are not run, and a line on standard error says why.
#
# The tests against the real server play in real time for a few minutes on
# a few cores: they run while the sanitizer tree builds, at a lower
# priority, and their output follows once both are done. The last line
# says whether they ran or were skipped for want of a server, and then how
# to get one.
set -euo pipefail
cd "$(dirname "$0")/.."
export WERROR="${WERROR:-1}"
BUILD_DIR="${BUILD_DIR:-build}"
scripts/setup.sh
. scripts/build-common.sh
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)" -LE realserver

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if [ "${SANITIZE:-1}" = 0 ]; then
  status=0
  ctest --test-dir "$BUILD_DIR" --output-on-failure -L realserver 2>&1 | tee "$log" || status=$?
  brevane_realserver_verdict "$log"
  exit $status
fi

ctest --test-dir "$BUILD_DIR" --output-on-failure -L realserver > "$log" 2>&1 &
realserver=$!
build_status=0
SANITIZE_STEP=build nice -n 19 scripts/sanitize.sh || build_status=$?
realserver_status=0
wait $realserver || realserver_status=$?
echo "== tests against the real server (run while the sanitizer tree built)"
cat "$log"
status=0
if [ $realserver_status -ne 0 ] || [ $build_status -ne 0 ]; then
  [ $build_status -ne 0 ] && echo "test.sh: the sanitizer tree did not build (status $build_status)" >&2
  [ $realserver_status -ne 0 ] &&
    echo "test.sh: a test against the real server failed (status $realserver_status): the sanitizer tree's tests were not run" >&2
  status=1
else
  SANITIZE_STEP=test scripts/sanitize.sh || status=$?
fi
brevane_realserver_verdict "$log"
exit $status
