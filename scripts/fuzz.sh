#!/usr/bin/env bash
# Builds the fuzz targets with clang in their own build folder and runs the script
# interpreter's target for N seconds (default 60): scripts/fuzz.sh [SECONDS]
# FUZZ_BUILD_DIR overrides the folder (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMV_BUILD_FUZZ=ON -DMV_BUILD_TESTS=OFF -DMV_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_C_FLAGS="$FLAGS" >/dev/null
cmake --build "$BUILD_DIR" --target fuzz_vbscript -j "${JOBS:-$(nproc)}"
# Work on a copy of the seeds, so the committed corpus only changes by hand.
CORPUS="$BUILD_DIR/corpus-vbscript"
mkdir -p "$CORPUS"
cp -n fuzz/corpus/vbscript/* "$CORPUS"/ 2>/dev/null || true
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
"$BUILD_DIR/fuzz/fuzz_vbscript" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
  -max_len=4096 -dict=fuzz/vbscript.dict -print_final_stats=1 "$CORPUS"
