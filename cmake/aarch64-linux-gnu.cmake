# Cross build for a 64-bit ARM camera processor, Cortex-A53 class (arm64), with
# Debian's cross compiler (g++-aarch64-linux-gnu) and the arm64 packages of
# the libraries (libtinyxml-dev:arm64, libgtest-dev:arm64, libgmock-dev:arm64).
#
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake

set(SENSOR_CROSS_TRIPLET aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(SENSOR_TARGET_FLAGS "-mcpu=cortex-a53")
set(SENSOR_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/DebianCross.cmake)
