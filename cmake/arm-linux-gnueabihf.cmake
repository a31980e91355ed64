# Cross build for the camera's processor, a 32-bit ARM Cortex-A7 (armhf), with
# Debian's cross compiler (g++-arm-linux-gnueabihf) and the armhf packages of
# the libraries (libtinyxml-dev:armhf, libgtest-dev:armhf, libgmock-dev:armhf).
#
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake
#
# For a vendor's toolchain, copy this file and change the compiler names, the
# target flags and the search roots (the vendor's sysroot); see the README.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(SENSOR_CROSS_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${SENSOR_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${SENSOR_CROSS_TRIPLET}-g++)

# The camera's core: Cortex-A7 with NEON and VFPv4, hard-float calling convention.
set(SENSOR_TARGET_FLAGS "-mcpu=cortex-a7 -mfpu=neon-vfpv4 -mfloat-abi=hard")
set(CMAKE_C_FLAGS_INIT "${SENSOR_TARGET_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${SENSOR_TARGET_FLAGS}")

# Debian multiarch: the armhf libraries live in /usr/lib/arm-linux-gnueabihf
# (their CMake packages in .../cmake), the headers in /usr/include, and the
# cross runtime in /usr/arm-linux-gnueabihf. Libraries and packages are found
# in the armhf directories, never in the build machine's.
set(CMAKE_LIBRARY_ARCHITECTURE ${SENSOR_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH /usr/${SENSOR_CROSS_TRIPLET} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The tests and test discovery run the ARM executables on the build machine
# through user-mode emulation. They load the multiarch runtime (libc6:armhf, the
# loader /lib/ld-linux-armhf.so.3), whose version matches the armhf libraries
# they link: "-L /" keeps the emulator from taking the cross compiler's older
# copy in /usr/arm-linux-gnueabihf (a loader of another glibc build than the
# libc.so.6 it then finds crashes at the first thread).
find_program(SENSOR_QEMU_ARM qemu-arm)
if(SENSOR_QEMU_ARM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SENSOR_QEMU_ARM} -L /)
endif()
