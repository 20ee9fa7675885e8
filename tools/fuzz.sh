#!/bin/sh
# Bounded fuzzing runs: configures a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-fuzz), builds the libFuzzer targets and runs each
# for a fixed time from the committed seed corpus. Any crash, leak, hang, excessive
# memory use or broken rule of a target fails the script; the input that did it is
# kept in build-fuzz/findings/. Skipped, with a message, when clang is missing.
#   ORMEDA_FUZZ_SECONDS  run time per target (default 60)
#   ORMEDA_JOBS          build jobs, and targets run side by side (default 2)
set -eu
cd "$(dirname "$0")/.."
seconds=${ORMEDA_FUZZ_SECONDS:-60}
jobs=${ORMEDA_JOBS:-2}
targets="fuzz_free_format fuzz_run"

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz.sh: clang++ not found; fuzzing skipped (install clang and libclang-rt-dev)"
    exit 0
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DORMEDA_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$jobs" --target $targets

findings=build-fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# One bounded run; the fresh corpus folder comes first so that the committed seeds
# are read but never written.
run_target() {
    target=$1
    mkdir -p "$work/$target"
    dict=tests/fuzz/${target#fuzz_}.dict
    set -- -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
        -max_len=20000 -print_final_stats=1 -artifact_prefix="$findings/$target-"
    if [ -f "$dict" ]; then
        set -- "$@" -dict="$dict"
    fi
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "build-fuzz/tests/fuzz/$target" "$@" "$work/$target" "tests/fuzz/corpus/$target" \
        >"$work/$target.log" 2>&1
}

summary() {
    target=$1
    log="$work/$target.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    added=$(sed -n 's/^stat::new_units_added: *//p' "$log" | tail -n 1)
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
    echo "fuzz.sh: $target: ${runs:-?} executions in ${seconds} s (${rate:-?}/s)," \
        "${added:-?} new inputs, peak ${rss:-?} MB"
}

failed=0
if [ "$jobs" -ge 2 ]; then
    pids=""
    for target in $targets; do
        run_target "$target" &
        pids="$pids $!"
    done
    set -- $targets
    for pid in $pids; do
        if ! wait "$pid"; then
            echo "fuzz.sh: $1 FAILED"
            failed=1
        fi
        shift
    done
else
    for target in $targets; do
        if ! run_target "$target"; then
            echo "fuzz.sh: $target FAILED"
            failed=1
        fi
    done
fi

for target in $targets; do
    summary "$target"
    if grep -qE '^==[0-9]+==ERROR|^SUMMARY: |ERROR: libFuzzer|runtime error:' "$work/$target.log"; then
        failed=1
    fi
done
if [ "$failed" -ne 0 ]; then
    for target in $targets; do
        echo "----- $target log (last 60 lines) -----"
        tail -n 60 "$work/$target.log"
    done
    echo "fuzz.sh: findings kept in $findings/"
    exit 1
fi
echo "fuzz.sh: no findings"
