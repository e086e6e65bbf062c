# Cross-build for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64), POSIX thread model so that std::thread and
# std::mutex are available. Use:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${MINGW_TRIPLE}-gcc-posix ${MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${MINGW_TRIPLE}-g++-posix ${MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CMakeLists.txt links MinGW programs with -static, so no libstdc++, libgcc
# or winpthread DLL has to sit beside the .exe.

# Programs built here run under Wine when it is installed.
find_program(VELUMBRA_WINE NAMES wine wine64)
if(VELUMBRA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELUMBRA_WINE})
endif()
