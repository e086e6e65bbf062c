#!/usr/bin/env bash
# Line coverage of the bridge's own code by the whole test suite: a Debug
# build with gcc's --coverage in build-cov, every ctest test, then gcov over
# the bridge's object files. Emulators, tests, benchmarks and fuzz targets
# are not counted. Prints one line: "line coverage: NN.N% (covered/total)".
#   bash .ci/coverage.sh          build, run the suite, report
#   NO_RUN=1 bash .ci/coverage.sh report on the counts already in build-cov
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dir=${COVERAGE_BUILD_DIR:-$root/build-cov}
jobs=$(nproc 2>/dev/null || echo 2)

if [ "${NO_RUN:-0}" != 1 ]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
    -DVELUMBRA_BUILD_BENCH=OFF >/dev/null
  cmake --build "$dir" -j"$jobs" >/dev/null
  find "$dir" -name '*.gcda' -delete
  (cd "$dir" && ctest -j"$jobs" --timeout 300 >"$dir/coverage-ctest.log" 2>&1) ||
    echo "note: some tests failed, see $dir/coverage-ctest.log" >&2
fi

# The bridge's objects: the core library and the program's main.
python3 - "$root" "$dir" <<'EOF'
import gzip, json, os, subprocess, sys, tempfile
root, build = sys.argv[1], sys.argv[2]
own = ("app/", "mixer/", "model/", "diag/", "surface/", "control/", "display/",
       "editor/", "fxdefs/", "platform/")
objdirs = [os.path.join(build, "CMakeFiles", d) for d in ("velumbra_core.dir", "velumbra.dir")]
notes = []
for d in objdirs:
    for base, _, files in os.walk(d):
        notes += [os.path.join(base, f) for f in files if f.endswith(".gcno")]
lines = {}  # (file, line) -> executed at least once
with tempfile.TemporaryDirectory() as tmp:
    outs = []
    for i, gcno in enumerate(notes):
        # gcov reads the .gcda next to the .gcno; a missing one means never run.
        # One folder per object, as two sources may share a file name.
        out = os.path.join(tmp, str(i))
        os.mkdir(out)
        subprocess.run(["gcov", "-j", "-o", os.path.dirname(gcno), gcno],
                       cwd=out, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        outs += [os.path.join(out, f) for f in os.listdir(out) if f.endswith(".gcov.json.gz")]
    for f in outs:
        with gzip.open(f) as fh:
            data = json.load(fh)
        for entry in data["files"]:
            path = os.path.normpath(os.path.join(data.get("current_working_directory", ""), entry["file"]))
            rel = os.path.relpath(path, root)
            if not rel.startswith(own):
                continue
            for ln in entry["lines"]:
                key = (rel, ln["line_number"])
                lines[key] = lines.get(key, False) or ln["count"] > 0
covered = sum(1 for v in lines.values() if v)
total = len(lines)
print("line coverage: %.1f%% (%d/%d)" % (100.0 * covered / total if total else 0.0, covered, total))
EOF
