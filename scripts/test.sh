#!/usr/bin/env bash
# Builds (through setup.sh) and runs every test, then builds the tree again
# with AddressSanitizer and UndefinedBehaviorSanitizer (sanitize.sh) and
# runs every test there with leak detection on. SANITIZE=0 skips the
# second run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)"
if [ "${SANITIZE:-1}" != 0 ]; then
  scripts/sanitize.sh
fi
