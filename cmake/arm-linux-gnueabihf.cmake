# Cross build for a 32-bit ARM camera processor, Cortex-A7 class (armhf), with
# Debian's cross compiler (g++-arm-linux-gnueabihf) and the armhf packages of
# the libraries (libtinyxml-dev:armhf, libgtest-dev:armhf, libgmock-dev:armhf).
#
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake
#
# For a vendor's toolchain, see the README: compiler names, target flags and the
# vendor's sysroot, without the multiarch and emulator lines of DebianCross.cmake.

set(SENSOR_CROSS_TRIPLET arm-linux-gnueabihf)
set(CMAKE_SYSTEM_PROCESSOR arm)
# Cortex-A7 with NEON and VFPv4, hard-float calling convention.
set(SENSOR_TARGET_FLAGS "-mcpu=cortex-a7 -mfpu=neon-vfpv4 -mfloat-abi=hard")
set(SENSOR_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/DebianCross.cmake)
