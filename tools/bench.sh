#!/bin/sh
# Builds the benchmark program with the release flags in build-bench/ and runs
# it: the table of figures, each beside its floor measured in the same run, on
# standard output; the benchmark runs themselves on standard error.
# BUILD_DIR chooses another build directory; the table reports the stripped
# size of libsensordll.so for each camera target that tools/cross-test.sh has
# built (build-armhf/, build-arm64/, build-mipsel/; LIBRARY_ARMHF,
# LIBRARY_ARM64 and LIBRARY_MIPSEL name other copies); BENCH_BUILD_ONLY=1
# builds without running.
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
"$build/sensor_bench" --library-armhf="${LIBRARY_ARMHF:-$top/build-armhf/libsensordll.so}" \
    --library-arm64="${LIBRARY_ARM64:-$top/build-arm64/libsensordll.so}" \
    --library-mipsel="${LIBRARY_MIPSEL:-$top/build-mipsel/libsensordll.so}" "$@"
