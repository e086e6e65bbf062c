#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Does nothing when they are all present.
set -euo pipefail
packages=(build-essential cmake libgtest-dev googletest libbenchmark-dev
          libx11-dev libxtst-dev libxrandr-dev xvfb x11-utils
          openbox
          g++-mingw-w64-x86-64 clang libclang-rt-14-dev libfuzzer-14-dev tmux)
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
