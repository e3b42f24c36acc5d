#!/usr/bin/env bash
# Builds everything (Linux, the 32-bit Windows DLLs, a sanitizer build) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh all

jobs=$(nproc)
build() {  # build DIR [cmake args...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

# Release, as users build it: the optimiser's warnings are errors there too. The test
# builds put the test controls into QuickTime.qts (the shipped library has none).
build build/linux -DCMAKE_BUILD_TYPE=Release -DORBIVANE_QTS_TEST_CONTROLS=ON
build build/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DORBIVANE_QTS_TEST_CONTROLS=ON
build build/asan -DCMAKE_BUILD_TYPE=Debug -DORBIVANE_SANITIZE=ON -DORBIVANE_QTS_TEST_CONTROLS=ON

export ORBIVANE_WIN32_BUILD=$PWD/build/win32
# The Windows build's end-to-end test compares its movies with the Linux build's orbivane-host.
export ORBIVANE_LINUX_BUILD=$PWD/build/linux
ctest --test-dir build/win32 --output-on-failure -j "$jobs"
ctest --test-dir build/linux --output-on-failure -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs"
# The media layer under libFuzzer (clang, ASan + UBSan), 25 s each over the starter corpus:
# the movie reader, the dispatcher routines the object movie writer calls, then the object
# tool reading archived object movies.
JOBS=$jobs bash medialayer/fuzz/run-fuzzer.sh build/fuzz 25 movie
JOBS=$jobs bash medialayer/fuzz/run-fuzzer.sh build/fuzz 25 dispatcher
JOBS=$jobs bash medialayer/fuzz/run-fuzzer.sh build/fuzz 25 archive
echo "all tests passed"
