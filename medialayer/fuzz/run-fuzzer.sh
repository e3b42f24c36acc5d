#!/usr/bin/env bash
# Builds one of the media layer's libFuzzer targets (clang, ASan + UBSan) and
# runs it for a bounded time over the committed starter corpus.
# Usage: medialayer/fuzz/run-fuzzer.sh [build-dir] [seconds] [movie|dispatcher|archive]
#   movie       the movie reader, sample reader and flatten on any bytes
#   dispatcher  the dispatcher routines the object movie writer calls
#   archive     the object tool's reading of archived object movies (QT atom
#               containers, 'obji', 'cmov', 'rmra', Mac wrappers)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/fuzz}
seconds=${2:-30}
target=medialayer_${3:-movie}_fuzzer

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DORBIVANE_SANITIZE=ON -DORBIVANE_FUZZ=ON >/dev/null
cmake --build "$build" --target "$target" -j "${JOBS:-2}"

# New inputs go to a scratch corpus; the committed one is only read.
work=$(mktemp -d)
scratch=$(mktemp -d)
trap 'rm -rf "$work" "$scratch"' EXIT
MEDIALAYER_FUZZ_DIR=$scratch \
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$(find "$build" -name "$target" -type f | head -n 1)" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 "$work" medialayer/fuzz/corpus
