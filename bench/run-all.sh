#!/usr/bin/env bash
# Runs every benchmark of a build, one after the other, in a few minutes:
#   bash bench/run-all.sh BUILD_DIR
# BUILD_DIR is a build with the benchmarks (VELUMBRA_BUILD_BENCH, on by
# default) made, preferably RelWithDebInfo or Release. Set
# VELUMBRA_BENCH_BRIDGE to another velumbra binary to measure that one
# with the same benchmarks (say, an older build). The output also goes to
# BUILD_DIR/bench-results.txt.
set -euo pipefail
if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: bash bench/run-all.sh BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
benches=(refresh_bench output_queue_bench latency_bench verbose_bench startup_bench idle_bench scene_bench
         editor_follow_bench surfaces_bench)
for b in "${benches[@]}"; do
    if [ ! -x "$build/bench_$b" ]; then
        echo "missing $build/bench_$b: build the benchmarks first (cmake --build $build -j2)" >&2
        exit 2
    fi
done
{
    echo "velumbra benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), build $build"
    echo "bridge: ${VELUMBRA_BENCH_BRIDGE:-$build/velumbra}"
    echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
    for b in "${benches[@]}"; do
        echo
        start=$(date +%s)
        "$build/bench_$b"
        echo "  ($(( $(date +%s) - start )) s)"
    done
} 2>&1 | tee "$build/bench-results.txt"
