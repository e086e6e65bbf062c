#!/usr/bin/env bash
# Cross-builds the bridge for 64-bit Windows with MinGW-w64: a statically
# linked velumbra.exe that runs with nothing installed.
#
#   bash .ci/windows-build.sh           # velumbra.exe only
#   bash .ci/windows-build.sh --tests   # and velumbra_tests.exe
#
# The build folder is build-windows/ (VELUMBRA_WINDOWS_BUILD_DIR overrides).
# Installs the cross compiler and GoogleTest's sources when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

with_tests=0
for argument in "$@"; do
  case "$argument" in
    --tests) with_tests=1 ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
  esac
done

build_dir=${VELUMBRA_WINDOWS_BUILD_DIR:-build-windows}
jobs=${VELUMBRA_JOBS:-2}

need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || need+=(g++-mingw-w64-x86-64)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v make >/dev/null 2>&1 || need+=(make)
if [ "$with_tests" = 1 ] && [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
  need+=(googletest)
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

tests=OFF
[ "$with_tests" = 1 ] && tests=ON
cmake -S . -B "$build_dir" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DVELUMBRA_BUILD_TESTS="$tests" \
  -DVELUMBRA_BUILD_TOOLS=OFF \
  -DVELUMBRA_BUILD_BENCH=OFF

targets=(velumbra)
[ "$with_tests" = 1 ] && targets+=(velumbra_tests)
cmake --build "$build_dir" -j"$jobs" --target "${targets[@]}"

# A DLL beside MinGW's runtime in the import table would mean the static
# link failed and the .exe would not start on a clean Windows machine.
if command -v x86_64-w64-mingw32-objdump >/dev/null 2>&1; then
  for exe in "${targets[@]}"; do
    if x86_64-w64-mingw32-objdump -p "$build_dir/$exe.exe" |
        grep -iE 'DLL Name: *(libstdc\+\+|libgcc|libwinpthread)'; then
      echo "$exe.exe depends on a MinGW runtime DLL" >&2
      exit 1
    fi
  done
fi
for exe in "${targets[@]}"; do
  echo "built $build_dir/$exe.exe"
done
