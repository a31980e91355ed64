#!/bin/sh
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in ${BUILD_DIR:-build-fuzz} and runs each one for
# FUZZ_SECONDS (default 60) on a copy of its seed corpus. Prints the
# executions of every target and fails when any of them crashed, leaked, hit
# undefined behaviour, timed out or ran out of memory; the input that did it
# is kept in <build>/fuzz-run/artifacts/<target>/.
#   FUZZ_TARGETS   blank-separated target names (default: every target)
#   FUZZ_SECONDS   seconds per target
# Extra arguments go to cmake's configure step.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-"keyval_text set_parameters key_lists detail_text style_merge dynamic_style param_files"}

# --- what the build needs ------------------------------------------------------
sh "$top/tools/install-deps.sh" clang-14 libclang-rt-14-dev

# --- build -----------------------------------------------------------------
# A build directory set up with another compiler is set up afresh: cmake would
# drop this script's options with the old cache.
cache="$build/CMakeCache.txt"
if [ -f "$cache" ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++-14$' "$cache"; then
    rm -rf "$cache" "$build/CMakeFiles"
fi
cmake -S "$top" -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DSENSOR_BUILD_FUZZ=ON -DSENSOR_BUILD_TESTS=OFF -DSENSOR_SANITIZE=address,undefined "$@"
binaries=""
for t in $targets; do
    binaries="$binaries fuzz_$t"
    rm -f "$build/fuzz_$t"  # so that a target the build lacks cannot pass as built
done
cmake --build "$build" -j2 --target $binaries

# --- run -------------------------------------------------------------------
# The targets' sandbox roots go to memory when it can hold them: the module
# syncs every file it saves.
run="$build/fuzz-run"
mkdir -p "$run"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    scratch=$(mktemp -d /dev/shm/sensor-fuzz.XXXXXX)
else
    scratch=$(mktemp -d "$run/scratch.XXXXXX")
fi
trap 'rm -rf "$scratch"' EXIT INT TERM
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=""
printf '%-16s %12s %8s\n' target executions exec/s
for t in $targets; do
    corpus="$run/corpus/$t"
    artifacts="$run/artifacts/$t"
    log="$run/$t.log"
    mkdir -p "$corpus" "$artifacts"
    cp "$top/fuzz/corpus/$t/"* "$corpus/"
    status=0
    TMPDIR="$scratch" "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" >"$log" 2>&1 || status=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    printf '%-16s %12s %8s\n' "$t" "${execs:-?}" "${rate:-?}"
    if [ "$status" -ne 0 ]; then
        failed="$failed $t"
        echo "--- fuzz_$t failed (exit $status); log: $log"
        grep -E "ERROR|SUMMARY|runtime error|fuzz check|Test unit written" "$log" | head -20 || true
    fi
done

if [ -n "$failed" ]; then
    echo "fuzzing found faults in:$failed"
    exit 1
fi
echo "fuzzing found no fault in $seconds s per target"
