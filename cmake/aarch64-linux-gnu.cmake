# Cross-build for 64-bit ARM Linux (a Raspberry Pi 3/4/5 with a 64-bit
# system) with Debian's toolchain (package g++-aarch64-linux-gnu). Use:
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(ARM64_TRIPLE aarch64-linux-gnu)
find_program(CMAKE_C_COMPILER NAMES ${ARM64_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ARM64_TRIPLE}-g++ REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ARM64_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under qemu-user (package qemu-user) when it is
# installed, with the toolchain's C library as their root.
find_program(VELUMBRA_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static)
if(VELUMBRA_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELUMBRA_QEMU_AARCH64} -L /usr/${ARM64_TRIPLE})
endif()
