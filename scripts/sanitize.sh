#!/usr/bin/env bash
# Builds the tree with AddressSanitizer and UndefinedBehaviorSanitizer (clang,
# see brevane_configure_sanitize in build-common.sh) into build-sanitize/
# (SANITIZE_BUILD_DIR overrides it) and runs the test suite there with leak
# detection on. Any sanitizer report fails the test that shows it, in the
# test programs and in the agent programs the end-to-end tests start. The
# tests against the real server (label realserver), which play in real
# time and have run in the first pass already, are left out unless
# SANITIZE_REALSERVER=1. Extra arguments go to CTest. SANITIZE_STEP=build
# only builds, SANITIZE_STEP=test only runs the tests. Expects the packages
# of setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/build-common.sh
BUILD_DIR="${SANITIZE_BUILD_DIR:-build-sanitize}"
STEP="${SANITIZE_STEP:-all}"
if [ "$STEP" != test ]; then
  brevane_configure_sanitize "$BUILD_DIR"
  cmake --build "$BUILD_DIR" -j"$(nproc)"
fi
[ "$STEP" = build ] && exit 0
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
skip=(-LE realserver)
[ "${SANITIZE_REALSERVER:-0}" = 1 ] && skip=()
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)" "${skip[@]}" "$@"
