#!/usr/bin/env bash
# Builds the tree with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ (SANITIZE_BUILD_DIR overrides it) and runs the test suite
# there with leak detection on. Any sanitizer report fails the test that
# shows it, in the test programs and in the agent programs the end-to-end
# tests start. The tests against the real server (label realserver), which
# play in real time and have run in the first pass already, are left out
# unless SANITIZE_REALSERVER=1. Expects the packages of setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${SANITIZE_BUILD_DIR:-build-sanitize}"
# GCC's maybe-uninitialized analysis gives false reports on the standard
# library's regex code under the sanitizers' instrumentation.
FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -Wno-maybe-uninitialized"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBREVANE_BENCH=OFF \
      -DCMAKE_CXX_FLAGS="$FLAGS"
cmake --build "$BUILD_DIR" -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
skip=(-LE realserver)
[ "${SANITIZE_REALSERVER:-0}" = 1 ] && skip=()
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)" "${skip[@]}" "$@"
