#!/usr/bin/env bash
# Builds two extra trees and runs the whole test suite in each:
#   build-asan  AddressSanitizer and UndefinedBehaviorSanitizer
#   build-tsan  ThreadSanitizer, with no suppressions
#   bash .ci/sanitizers.sh [asan|tsan ...]   (default: both)
# Any sanitizer report fails the test it happens in. SANITIZER_CXX picks the
# compiler (default g++); SANITIZER_BUILD_ROOT the folder of the two trees.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
cxx=${SANITIZER_CXX:-g++}
build_root=${SANITIZER_BUILD_ROOT:-$root}

kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(asan tsan)

configure_and_build() {
  local dir=$1 sanitize=$2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DVELUMBRA_SANITIZE="$sanitize" \
    -DVELUMBRA_BUILD_BENCH=OFF
  cmake --build "$dir" -j"$jobs"
}

for kind in "${kinds[@]}"; do
  case "$kind" in
    asan)
      dir="$build_root/build-asan"
      configure_and_build "$dir" address,undefined
      # Child processes (the bridge and the emulators started by the end to
      # end tests) inherit these, so a report there fails the test as well.
      (cd "$dir" &&
        ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1 \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --output-on-failure -j"$jobs" --timeout 300)
      ;;
    tsan)
      dir="$build_root/build-tsan"
      configure_and_build "$dir" thread
      (cd "$dir" &&
        TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:atexit_sleep_ms=0" \
        ctest --output-on-failure -j"$jobs" --timeout 300)
      ;;
    *)
      echo "unknown sanitizer build: $kind (asan or tsan)" >&2
      exit 2
      ;;
  esac
done
