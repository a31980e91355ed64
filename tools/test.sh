#!/bin/sh
# Builds the module, its stand-ins and the tests in build/, and runs every test.
# Extra arguments go to cmake's configure step (e.g. -DSENSOR_SANITIZE=address,undefined);
# BUILD_DIR chooses another build directory.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
# The browser test of the settings console needs Chromium, its driver and
# Debian's python3-selenium.
sh "$top/tools/install-deps.sh" chromium chromium-driver python3-selenium
cmake -S "$top" -B "$build" "$@"
cmake --build "$build" -j2
cd "$build"
ctest --output-on-failure -j2
