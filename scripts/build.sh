#!/usr/bin/env bash
# Configures and builds everything into build/ (BUILD_DIR overrides).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}
# DEBUG_INFO=OFF leaves out the debug information (CI does: it is a third of the compile time);
# WERROR=ON makes every compiler warning an error (CI does).
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMV_DEBUG_INFO="${DEBUG_INFO:-ON}" \
    -DMV_WERROR="${WERROR:-OFF}" "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"
