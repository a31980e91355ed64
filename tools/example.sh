#!/bin/sh
# Installs the module from build/ into a staging directory, builds the host
# application of examples/host-app against it twice, once through CMake's
# find_package and once with pkg-config's flags, and runs both builds on a
# camera disk seeded by the installed sensorctl, against the simulated
# processor. BUILD_DIR chooses the build directory (default build).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
sh "$top/tools/install-deps.sh" pkg-config
cmake -S "$top" -B "$build" >/dev/null
cmake --build "$build" -j2 --target sensordll sensorplatform sensorctl

stage="$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage"

work="$build/host-app"
rm -rf "$work"
mkdir -p "$work"
root="$work/camera disk"
"$stage/bin/sensorctl" --root "$root" check

echo "== built with find_package(sensordll)"
cmake -S "$top/examples/host-app" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$work/cmake"
SENSOR_ROOT="$root" "$work/cmake/host-app"

echo "== built with pkg-config"
flags=$(PKG_CONFIG_PATH="$stage/lib/pkgconfig" pkg-config --cflags --libs sensordll)
# shellcheck disable=SC2086
${CXX:-g++} -std=c++14 -Wall -Wextra -o "$work/host-app" "$top/examples/host-app/main.cpp" $flags
SENSOR_ROOT="$root" LD_LIBRARY_PATH="$stage/lib" "$work/host-app"
