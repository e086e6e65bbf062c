#!/usr/bin/env bash
# Cross-builds the bridge for 64-bit ARM Linux (a Raspberry Pi with a 64-bit
# system), runs its unit tests under qemu-user, and makes the arm64 Debian
# package. Extra arguments go to the test program (--gtest_filter=...).
#
#   bash .ci/arm64-test.sh [gtest arguments]
#
# The build folder is build-arm64/ (VELUMBRA_ARM64_BUILD_DIR overrides); the
# package lands there. Installs the cross compiler, qemu-user and
# GoogleTest's sources when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${VELUMBRA_ARM64_BUILD_DIR:-build-arm64}
jobs=${VELUMBRA_JOBS:-2}
sysroot=/usr/aarch64-linux-gnu

need=()
command -v aarch64-linux-gnu-g++ >/dev/null 2>&1 || need+=(g++-aarch64-linux-gnu)
command -v qemu-aarch64 >/dev/null 2>&1 || need+=(qemu-user)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v make >/dev/null 2>&1 || need+=(make)
command -v dpkg-deb >/dev/null 2>&1 || need+=(dpkg)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

# Only the unit tests (no child processes, no X): the end-to-end tests run
# natively, and under qemu they would cost minutes for nothing new. No X11:
# the box runs with --no-editor.
cmake -S . -B "$build_dir" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64-linux-gnu.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DVELUMBRA_UNIT_TESTS_ONLY=ON \
  -DVELUMBRA_BUILD_BENCH=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_X11=ON
cmake --build "$build_dir" -j"$jobs" \
  --target velumbra velumbra_tests velumbra-console-sim velumbra-surface-sim

# A death test starts the test program again through its argv[0]; without
# binfmt_misc to hand an arm64 program to qemu, argv[0] names this wrapper.
runner=$build_dir/velumbra_tests-qemu
printf '#!/bin/sh\nexec qemu-aarch64 -L %s -0 "$0" "%s" "$@"\n' \
  "$sysroot" "$(cd "$build_dir" && pwd)/velumbra_tests" >"$runner"
chmod +x "$runner"
echo "unit tests under qemu-aarch64"
timeout 300 "$runner" "$@"

(cd "$build_dir" && cpack -G DEB)
deb=$(ls "$build_dir"/velumbra_*_arm64.deb)
arch=$(dpkg-deb -f "$deb" Architecture)
if [ "$arch" != arm64 ]; then
  echo "$deb: architecture $arch, not arm64" >&2
  exit 1
fi
# The packaged program is an arm64 one that starts.
unpacked=$(mktemp -d /tmp/velumbra-arm64.XXXXXX)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
version=$(qemu-aarch64 -L "$sysroot" "$unpacked/usr/bin/velumbra" --version)
echo "$version"
[ "$version" = "velumbra $(dpkg-deb -f "$deb" Version)" ] || { echo "unexpected: $version" >&2; exit 1; }
echo "built $deb"
