# Cross build for a 32-bit little-endian MIPS camera processor, MIPS32 release 2
# (mipsel), with Debian's cross compiler (g++-mipsel-linux-gnu) and the mipsel
# packages of the libraries (libtinyxml-dev:mipsel, libgtest-dev:mipsel,
# libgmock-dev:mipsel).
#
#   cmake -S . -B build-mipsel -DCMAKE_TOOLCHAIN_FILE=cmake/mipsel-linux-gnu.cmake

set(SENSOR_CROSS_TRIPLET mipsel-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR mipsel)
set(SENSOR_TARGET_FLAGS "-march=mips32r2")
set(SENSOR_QEMU qemu-mipsel)
include(${CMAKE_CURRENT_LIST_DIR}/DebianCross.cmake)
