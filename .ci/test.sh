#!/usr/bin/env bash
# Runs every test: the native build with the whole suite, the sanitizer
# builds, the fuzz targets for a short while, the Windows cross-build with
# its unit tests under Wine, the Debian package with its test, and the arm64
# cross-build with its unit tests under qemu-user. Installs what it needs
# first.
#   bash .ci/test.sh            everything
#   QUICK=1 bash .ci/test.sh    the native build and suite only
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
started=$(date +%s)
stage() { echo; echo "==== $1 ($(( $(date +%s) - started )) s)"; }

stage "dependencies"
bash .ci/install-deps.sh

stage "native build and tests"
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-test -j"$jobs"
(cd build-test && ctest --output-on-failure -j"$jobs" --timeout 300)

if [ "${QUICK:-0}" = 1 ]; then exit 0; fi

stage "AddressSanitizer + UndefinedBehaviorSanitizer, ThreadSanitizer"
bash .ci/sanitizers.sh

stage "fuzz targets"
bash fuzz/run.sh "${FUZZ_SECONDS:-20}"

stage "Windows cross-build and unit tests under Wine"
bash .ci/windows-test.sh

stage "Debian package and its test"
bash .ci/package-test.sh

stage "arm64 cross-build, unit tests under qemu-user, arm64 package"
bash .ci/arm64-test.sh

stage "done"
