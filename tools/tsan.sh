#!/bin/sh
# Builds the module, its stand-ins and the tests under ThreadSanitizer in
# build-tsan/ (BUILD_DIR chooses another directory) and runs the tests in
# which threads meet: the host/sensor-thread concurrency tests and the other
# tests that start threads. Any report, or a deadlock that a test's watchdog
# catches, fails the run. SENSOR_TSAN_TESTS=all runs the whole suite instead;
# any other value is a CTest name regex. Extra arguments go to cmake.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build-tsan}
threaded='Concurrency|SensorThreadTest|ResetWhile|Concurrent|TwoThreads'
tests=${SENSOR_TSAN_TESTS:-$threaded}
sh "$top/tools/install-deps.sh"
cmake -S "$top" -B "$build" -DSENSOR_SANITIZE=thread "$@"
cmake --build "$build" -j2
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
cd "$build"
if [ "$tests" = all ]; then
    ctest --output-on-failure -j2
else
    ctest --output-on-failure -j2 -R "$tests"
fi
