#!/usr/bin/env bash
# Runs every test: the native build with the whole suite, the sanitizer
# builds, the fuzz targets for a short while, the Windows cross-build with
# its unit tests under Wine, the Debian package with its test, and the arm64
# cross-build with its unit tests under qemu-user. Installs what it needs
# first.
#   bash .ci/test.sh            everything
#   QUICK=1 bash .ci/test.sh    the native build and suite only
# Every stage runs even when an earlier one failed, so one failure hides
# nothing; a table at the end gives each stage's result, counts and time,
# and the exit status is 1 when any stage failed. The closing line
# "==== done (N s)" stands only after a run where no stage failed.
# VELUMBRA_SKIP_STAGES="asan tsan ..." skips stages by name (deps, native,
# asan, tsan, fuzz, windows, package, arm64), to try this script quickly;
# CI skips none. FUZZ_SECONDS sets the time of each fuzz target (20).
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
started=$(date +%s)
logs=$(mktemp -d /tmp/velumbra-test.XXXXXX) || exit 1
trap 'rm -rf "$logs"' EXIT
table=()
failed=()

# "N tests, F failed" from what a stage printed: ctest's summaries, the
# test program's own (GoogleTest, under Wine or qemu), the package test's
# checks and the fuzz targets; nothing when it printed none.
stage_counts() {
  awk '
    match($0, /[0-9]+ tests? failed out of [0-9]+/) {
      split(substr($0, RSTART, RLENGTH), w, " "); cfailed += w[1]; ctotal += w[6]; ctest = 1; next }
    /^\[==========\] [0-9]+ tests? from .* ran\./ { gtotal += $2; gtest = 1; next }
    /^\[  FAILED  \] [0-9]+ tests?, listed below/ { gfailed += $4; next }
    /^package-test: [0-9]+ passed, [0-9]+ failed/ { total += $2 + $4; failed += $4; kind = "checks"; next }
    /^[a-z0-9_]+_fuzz +[0-9?]+ executions +(ok|FAILED)/ {
      total += 1; if ($0 ~ /FAILED/) failed += 1; kind = "fuzz targets"; next }
    END {
      # ctest shows the output of a failed test, GoogleTest summary included:
      # where ctest ran, only its own count stands.
      if (ctest) { total = ctotal; failed = cfailed; kind = "tests" }
      else if (gtest) { total = gtotal; failed = gfailed; kind = "tests" }
      if (kind != "") printf "%d %s, %d failed", total, kind, failed
    }
  ' "$1"
}

# stage NAME TITLE COMMAND...: runs COMMAND with its output shown and kept,
# and adds its line to the table.
stage() {
  local name=$1 title=$2
  shift 2
  local begin result counts status
  begin=$(date +%s)
  echo
  echo "==== $title ($((begin - started)) s)"
  if [[ " ${VELUMBRA_SKIP_STAGES:-} " == *" $name "* ]] ||
     { [ "${QUICK:-0}" = 1 ] && [ "$name" != deps ] && [ "$name" != native ]; }; then
    echo "skipped"
    table+=("$(printf '%-9s %-8s %-32s %6s' "$name" skipped "" "")")
    return 0
  fi
  "$@" 2>&1 | tee "$logs/$name.log"
  status=${PIPESTATUS[0]}
  counts=$(stage_counts "$logs/$name.log")
  result=passed
  if [ "$status" != 0 ]; then
    result=FAILED
    failed+=("$name")
  fi
  table+=("$(printf '%-9s %-8s %-32s %5d s' "$name" "$result" "$counts" $(($(date +%s) - begin)))")
}

native() {
  cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    cmake --build build-test -j"$jobs" &&
    (cd build-test && ctest --output-on-failure -j"$jobs" --timeout 300)
}

stage deps "dependencies" bash .ci/install-deps.sh
stage native "native build and tests" native
stage asan "AddressSanitizer + UndefinedBehaviorSanitizer" bash .ci/sanitizers.sh asan
stage tsan "ThreadSanitizer" bash .ci/sanitizers.sh tsan
stage fuzz "fuzz targets" bash fuzz/run.sh "${FUZZ_SECONDS:-20}"
stage windows "Windows cross-build and unit tests under Wine" bash .ci/windows-test.sh
stage package "Debian package and its test" bash .ci/package-test.sh
stage arm64 "arm64 cross-build, unit tests under qemu-user, arm64 package" bash .ci/arm64-test.sh

echo
echo "==== stages"
printf '%s\n' "${table[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "==== FAILED: ${failed[*]} ($(($(date +%s) - started)) s)"
  exit 1
fi
echo "==== done ($(($(date +%s) - started)) s)"
