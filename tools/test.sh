#!/bin/sh
# Builds the project and runs every test: the normal build, then the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
jobs=${ORMEDA_JOBS:-2}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORMEDA_BENCH=ON
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORMEDA_SANITIZE=ON
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize -j "$jobs" --output-on-failure

# Bounded fuzzing runs of the libFuzzer targets (clang), when clang is present.
if [ -x tools/fuzz.sh ]; then
    tools/fuzz.sh
fi
