#!/usr/bin/env bash
# Runs every benchmark from the source root and prints its table.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
for b in "$BUILD_DIR"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
