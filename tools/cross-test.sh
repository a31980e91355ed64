#!/bin/sh
# Builds everything for the camera's 32-bit ARM processor (armhf) with Debian's
# cross compiler, runs every test under user-mode emulation (qemu-arm), and
# prints the stripped size of libsensordll.so for ARM.
# Installs what it lacks (Debian 12, as root); a second run installs nothing.
# Extra arguments go to cmake's configure step; BUILD_DIR chooses another build
# directory (default build-armhf).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build-armhf}
triplet=arm-linux-gnueabihf

# The tests run against the armhf runtime of Debian's armhf architecture
# (libc6:armhf), the one the armhf libraries were built with.
sh "$top/tools/install-deps.sh" g++-$triplet binutils-$triplet qemu-user \
    libc6:armhf libtinyxml-dev:armhf libgtest-dev:armhf libgmock-dev:armhf

cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$triplet.cmake" "$@"
cmake --build "$build" -j2

stripped="$build/libsensordll.stripped.so"
$triplet-strip -o "$stripped" "$build/libsensordll.so"
echo "libsensordll.so for armhf, stripped: $(wc -c <"$stripped") bytes"

cd "$build"
ctest --output-on-failure -j2
