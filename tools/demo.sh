#!/bin/sh
# Builds sensorctl in build/ and shows the module at work on the default
# camera disk ./sensor-root (created from the sample box camera on first use).
# The module's own diagnostics of each run are in sensor-root/sensorctl.log;
# sensorctl's remarks on standard error go to build/demo-diagnostics.log.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
sh "$top/tools/install-deps.sh"
cmake -S "$top" -B "$build" >/dev/null
cmake --build "$build" -j2 --target sensorctl
log="$build/demo-diagnostics.log"
: >"$log"
ctl() {
    echo "\$ sensorctl $*"
    "$build/sensorctl" "$@" 2>>"$log"
}
cd "$top"

echo
echo "== The scheme in force, brightness (34) and saturation (2337)"
ctl getParamScheme getParameters "(34,2337)"

echo
echo "== A brightness change, recorded, saved with flush, and read back by a new run"
ctl setParameters "(34,65)" 1 flush
ctl getParameters "(34)"
echo "\$ sensorctl dump sensor0.cfg | grep BRIGHTNESS"
"$build/sensorctl" dump sensor0.cfg 2>>"$log" | grep BRIGHTNESS

echo
echo "== Day/night scheme mode (8000 = 2): the sensor reports night, the next tick moves to scheme 1"
ctl setParameters "(8000,2)" 1 getParamScheme sim-dn 1 tick getParamScheme

echo
echo "== What the sensor offers: every record of the current scheme (first 16 of them)"
echo "\$ sensorctl list | head -16"
"$build/sensorctl" list 2>>"$log" | head -16

echo
echo "More: $build/sensorctl help; $build/sensorctl serve shows the settings page at"
echo "http://127.0.0.1:8080/; the module's diagnostics of the last run are in sensor-root/sensorctl.log"
