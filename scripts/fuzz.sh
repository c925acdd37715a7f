#!/usr/bin/env bash
# Builds the fuzz targets with clang in their own build folder and runs one of them for N
# seconds (default 60):
#   scripts/fuzz.sh TARGET [SECONDS] [LIBFUZZER OPTION...]   TARGET: vbscript barcode config cabinet jet delivery money
#   scripts/fuzz.sh [SECONDS]                                 the script interpreter's target
# FUZZ_BUILD_DIR overrides the folder (default build-fuzz). The grown corpus stays in
# FUZZ_BUILD_DIR/corpus-TARGET, inputs that broke the target in FUZZ_BUILD_DIR/crashes-TARGET.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGET=vbscript
if [ $# -gt 0 ] && ! [[ "$1" =~ ^[0-9]+$ ]]; then TARGET=$1; shift; fi
SECONDS_TO_RUN=${1:-60}
[ $# -gt 0 ] && shift
EXTRA=()
case "$TARGET" in
  vbscript|jet) MAX_LEN=4096 ;;
  # Each import leaves more allocations than frees in Qt's settings code, so libFuzzer's leak
  # check would scan the heap after every input (ten times slower); LeakSanitizer still
  # checks the whole run when it ends.
  config) MAX_LEN=4096; EXTRA=(-detect_leaks=0) ;;
  barcode) MAX_LEN=1024 ;;
  cabinet) MAX_LEN=16384 ;;
  # A layout of a few fields and a file of some lines of a hundred and more characters.
  delivery) MAX_LEN=4096 ;;
  # Two typed numbers and a few raw amounts.
  money) MAX_LEN=256 ;;
  *) echo "unknown fuzz target: $TARGET (vbscript, barcode, config, cabinet, jet, delivery, money)" >&2; exit 2 ;;
esac
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMV_BUILD_FUZZ=ON -DMV_BUILD_TESTS=OFF -DMV_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_C_FLAGS="$FLAGS" >/dev/null
cmake --build "$BUILD_DIR" --target "fuzz_$TARGET" -j "${JOBS:-3}"
# Work on a copy of the seeds, so the committed corpus only changes by hand.
CORPUS="$BUILD_DIR/corpus-$TARGET"
CRASHES="$BUILD_DIR/crashes-$TARGET"
mkdir -p "$CORPUS" "$CRASHES"
cp -n fuzz/corpus/"$TARGET"/* "$CORPUS"/ 2>/dev/null || true
DICT=()
[ -f "fuzz/$TARGET.dict" ] && DICT=(-dict="fuzz/$TARGET.dict")
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
# GLib keeps freed blocks in slices of its own, where LeakSanitizer cannot see a lost one.
export G_SLICE=always-malloc
export UBSAN_OPTIONS=print_stacktrace=1
"$BUILD_DIR/fuzz/fuzz_$TARGET" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
  -max_len="$MAX_LEN" "${DICT[@]}" -artifact_prefix="$CRASHES/" -print_final_stats=1 "${EXTRA[@]}" "$@" "$CORPUS"
