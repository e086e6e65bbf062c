#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each
# for a bounded time.
#   bash fuzz/run.sh [seconds per target, default 30] [target ...]
# Targets default to every fuzz/*_fuzz.cpp. FUZZ_BUILD_DIR (default
# build-fuzz) holds the build, and per target the grown corpus, the log and
# any crash input under fuzz-work/<target>/. The seeds in fuzz/corpus are
# only read. Exits 1 when a target found a crash or broke an invariant.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-30}
[ $# -gt 0 ] && shift
build=${FUZZ_BUILD_DIR:-build-fuzz}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
jobs=${FUZZ_JOBS:-2}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="${CXX:-clang++}" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DVELUMBRA_FUZZ=ON -DVELUMBRA_BUILD_TESTS=OFF -DVELUMBRA_BUILD_TOOLS=OFF \
  -DVELUMBRA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

# Longest input per target: the receive buffer for datagrams, a few hundred
# bytes for a header and 32 surface messages, whole files for the readers.
max_len_of() {
  case "$1" in
    osc_reply_fuzz) echo 1026 ;;
    surface_input_fuzz) echo 300 ;;
    config_file_fuzz) echo 256 ;;
    editor_prefs_fuzz) echo 8192 ;;
    fx_files_fuzz) echo 32768 ;;
    *) echo 4096 ;;
  esac
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

failed=()
summary=()
for t in "${targets[@]}"; do
  work="$build/fuzz-work/$t"
  mkdir -p "$work/corpus" "$work/artifacts"
  seeds=("$root/fuzz/corpus/$t")
  [ "$t" = fx_files_fuzz ] && seeds+=("$root/fxdata")
  options=(-max_total_time="$seconds" -max_len="$(max_len_of "$t")" -timeout=10
           -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/artifacts/")
  [ -f "$root/fuzz/$t.dict" ] && options+=(-dict="$root/fuzz/$t.dict")
  echo "== $t: ${seconds}s"
  status=0
  "$build/fuzz/$t" "${options[@]}" "$work/corpus" "${seeds[@]}" >"$work/log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
  summary+=("$(printf '%-20s %12s executions  %s' "$t" "${runs:-?}" \
    "$([ $status -eq 0 ] && echo ok || echo "FAILED (see $work/log)")")")
  if [ $status -ne 0 ]; then
    failed+=("$t")
    grep -m1 -E "ERROR: |runtime error|fuzz invariant|Test unit written" "$work/log" || true
    ls "$work/artifacts"
  fi
done

echo
printf '%s\n' "${summary[@]}"
[ ${#failed[@]} -eq 0 ]
