#!/bin/sh
# Builds everything for one camera processor with Debian's cross compiler, runs
# every test under user-mode emulation (qemu-user), and prints the stripped
# size of libsensordll.so for it.
#
#   sh tools/cross-test.sh [TARGET] [cmake arguments...]
#
# TARGET is a Debian architecture or its cross compiler's triplet:
#   armhf  (arm-linux-gnueabihf)  32-bit ARM, Cortex-A7 class (the default)
#   arm64  (aarch64-linux-gnu)    64-bit ARM, Cortex-A53 class
#   mipsel (mipsel-linux-gnu)     32-bit little-endian MIPS, MIPS32 release 2
# Installs what it lacks (Debian 12, as root); a second run installs nothing.
# Further arguments go to cmake's configure step; BUILD_DIR chooses another
# build directory (default build-ARCH).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
target=${1:-armhf}
case "$target" in
    armhf | arm-linux-gnueabihf) arch=armhf triplet=arm-linux-gnueabihf ;;
    arm64 | aarch64-linux-gnu) arch=arm64 triplet=aarch64-linux-gnu ;;
    mipsel | mipsel-linux-gnu) arch=mipsel triplet=mipsel-linux-gnu ;;
    -*) arch=armhf triplet=arm-linux-gnueabihf target="" ;;
    *)
        echo "cross-test.sh: unknown target '$target' (armhf, arm64 or mipsel)" >&2
        exit 2
        ;;
esac
[ $# -eq 0 ] || [ -z "$target" ] || shift
build=${BUILD_DIR:-$top/build-$arch}

# The tests run against the runtime of Debian's architecture (libc6:ARCH), the
# one its libraries were built with.
sh "$top/tools/install-deps.sh" g++-$triplet binutils-$triplet qemu-user \
    libc6:$arch libtinyxml-dev:$arch libgtest-dev:$arch libgmock-dev:$arch

# Warnings fail the build: a target's own warnings (alignment, char signedness,
# the width of long) are faults to mend, not noise.
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$triplet.cmake" \
      -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@"
cmake --build "$build" -j2

stripped="$build/libsensordll.stripped.so"
$triplet-strip -o "$stripped" "$build/libsensordll.so"
echo "libsensordll.so for $arch, stripped: $(wc -c <"$stripped") bytes"

cd "$build"
ctest --output-on-failure -j2
