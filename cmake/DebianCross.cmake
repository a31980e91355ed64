# The part of a Debian cross build that every target shares. A target's
# toolchain file sets SENSOR_CROSS_TRIPLET (Debian's name of the cross
# compiler), CMAKE_SYSTEM_PROCESSOR, SENSOR_TARGET_FLAGS (the camera's CPU) and
# SENSOR_QEMU (the user-mode emulator's name), then includes this file.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${SENSOR_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${SENSOR_CROSS_TRIPLET}-g++)
set(CMAKE_C_FLAGS_INIT "${SENSOR_TARGET_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${SENSOR_TARGET_FLAGS}")

# Debian multiarch: the target's libraries live in /usr/lib/<triplet> (their
# CMake packages in .../cmake), the headers in /usr/include, and the cross
# runtime in /usr/<triplet>. Libraries and packages are found in the target's
# directories, never in the build machine's.
set(CMAKE_LIBRARY_ARCHITECTURE ${SENSOR_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH /usr/${SENSOR_CROSS_TRIPLET} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The tests and test discovery run the target's executables on the build
# machine through user-mode emulation. They load the multiarch runtime (the
# target's libc6 package and its loader under /lib), whose version matches the
# target's libraries they link: "-L /" keeps the emulator from taking the cross
# compiler's older copy in /usr/<triplet> (a loader of another glibc build than
# the libc.so.6 it then finds crashes at the first thread).
find_program(SENSOR_QEMU_PROGRAM ${SENSOR_QEMU})
if(SENSOR_QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SENSOR_QEMU_PROGRAM} -L /)
endif()
