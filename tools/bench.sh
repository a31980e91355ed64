#!/bin/sh
# Builds the benchmark program with the release flags in build-bench/ and runs
# it: the table of figures, each beside its floor measured in the same run, on
# standard output; the benchmark runs themselves on standard error.
# BUILD_DIR chooses another build directory; ARM_LIBRARY the 32-bit ARM build
# of libsensordll.so whose stripped size the table reports (default
# build-armhf/libsensordll.so); BENCH_BUILD_ONLY=1 builds without running.
# Extra arguments go to the program, e.g. --benchmark_repetitions=15 or
# --benchmark_filter=Pair.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build-bench}
# Only the table goes to standard output.
sh "$top/tools/install-deps.sh" >&2
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSENSOR_BUILD_BENCH=ON \
      -DSENSOR_BUILD_TESTS=OFF >&2
cmake --build "$build" -j2 --target sensor_bench >&2
if [ "${BENCH_BUILD_ONLY:-0}" = 1 ]; then
    exit 0
fi
"$build/sensor_bench" --arm-library="${ARM_LIBRARY:-$top/build-armhf/libsensordll.so}" "$@"
