#!/usr/bin/env bash
# Installs the Debian packages the build needs. Does nothing when they are
# all present.
#   bash .ci/install-deps.sh --light   the bridge and the emulators (quick start)
#   bash .ci/install-deps.sh           that, plus everything the tests need
set -euo pipefail

# The bridge and the device emulators (the X11 libraries drive the editor).
light=(build-essential cmake libx11-dev libxtst-dev libxrandr-dev)
# The tests, sanitizer, cross and package builds, and the fuzz targets.
tests=(libgtest-dev googletest libbenchmark-dev xvfb x11-utils g++-mingw-w64-x86-64
       clang tmux lintian dpkg-dev openbox)

# The clang runtime and libFuzzer of the clang this Debian release offers,
# not a version named here.
clang_packages() {
  local major
  major=$(apt-cache depends clang 2>/dev/null | sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -n 1)
  if [ -z "$major" ]; then
    echo "install-deps: this release offers no clang package" >&2
    return 1
  fi
  if apt-cache show libclang-rt-dev >/dev/null 2>&1; then
    echo libclang-rt-dev
  else
    echo "libclang-rt-$major-dev"
  fi
  echo "libfuzzer-$major-dev"
}

packages=("${light[@]}")
if [ "${1:-}" != --light ]; then
  # apt-cache needs the package lists; a fresh container has none.
  if ! apt-cache show clang >/dev/null 2>&1; then apt-get update -qq; fi
  mapfile -t clang_extra < <(clang_packages)
  packages+=("${tests[@]}" "${clang_extra[@]}")
fi
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
