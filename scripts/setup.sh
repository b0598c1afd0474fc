#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages), then
# configures and builds into build/ (BUILD_DIR, BUILD_TYPE override the
# directory and the build type). Safe to run again. SETUP_PACKAGES_ONLY=1
# stops after the packages.
#
# A new build directory is configured for Ninja, and ccache compiles when it
# is installed. WERROR=1 makes every compiler warning an error (WERROR=0
# no longer; unset leaves the directory as it was, off when new).
set -euo pipefail
cd "$(dirname "$0")/.."

# Build and test: compilers, CMake and Ninja, ccache, the libraries, the
# formatter of the style check, clang with its sanitizer runtimes for the
# sanitizer and fuzzing builds, Python 3 for the scripts and their tests.
PKGS="cmake g++ make ninja-build ccache pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
libtinyxml2-dev liblua5.1-0-dev libboost-system-dev libboost-filesystem-dev \
clang libclang-rt-14-dev clang-format-14 python3"

. scripts/build-common.sh
# shellcheck disable=SC2086
brevane_install_packages scripts/setup.sh $PKGS
[ "${SETUP_PACKAGES_ONLY:-0}" = 1 ] && exit 0

BUILD_DIR="${BUILD_DIR:-build}"
opts=(-DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}")
case "${WERROR:-}" in
  1) opts+=(-DBREVANE_WERROR=ON) ;;
  0) opts+=(-DBREVANE_WERROR=OFF) ;;
esac
brevane_configure "$BUILD_DIR" "${opts[@]}"
cmake --build "$BUILD_DIR" -j"$(nproc)"
