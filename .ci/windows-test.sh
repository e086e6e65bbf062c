#!/usr/bin/env bash
# Cross-builds velumbra_tests.exe and runs it under Wine, headless, in a
# fresh Wine prefix that is removed afterwards. Extra arguments go to the
# test program (for example --gtest_filter='UdpSocket*').
#
#   bash .ci/windows-test.sh [gtest arguments]
#
# Installs Wine (64-bit only) when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash .ci/windows-build.sh --tests
build_dir=${VELUMBRA_WINDOWS_BUILD_DIR:-build-windows}

if ! command -v wine >/dev/null 2>&1 || ! command -v wineserver >/dev/null 2>&1; then
  echo "installing: wine wine64"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends wine wine64
fi

prefix=$(mktemp -d /tmp/velumbra-wine.XXXXXX)
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Console programs need no display; keep Wine off any X server around.
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT

# The first start builds the prefix; do it apart so its notices (the 32-bit
# half is not installed, and is not needed) stay out of the test output.
timeout 300 wineboot --init >/dev/null 2>&1 || true
# Wine links the user's Documents, Desktop, ... to the real home folder; make
# them plain folders of the prefix, so nothing a test writes leaves it.
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm -f "$link"
    mkdir -p "$link"
  fi
done

status=0
timeout 300 wine "$build_dir/velumbra_tests.exe" "$@" || status=$?
exit "$status"
