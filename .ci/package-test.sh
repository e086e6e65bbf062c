#!/usr/bin/env bash
# Builds the native Debian package (cpack) in build-package/ and tests it:
# what it holds, lintian (where installed), its maintainer scripts, its unit
# file (systemd-analyze verify where available), the bridge under the unit's
# address-family restriction, and the bridge as installed (run from the
# unpacked package) between the two installed emulators, as the service
# runs it: no keyboard, SIGUSR1 for the status, SIGTERM to stop.
#
#   bash .ci/package-test.sh
#
# The build folder is build-package/ (VELUMBRA_PACKAGE_BUILD_DIR overrides);
# the package lands there. Every check runs; the script fails if any did.
set -uo pipefail
cd "$(dirname "$0")/.."

build_dir=${VELUMBRA_PACKAGE_BUILD_DIR:-build-package}
jobs=${VELUMBRA_JOBS:-2}

need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(build-essential)
command -v dpkg-shlibdeps >/dev/null 2>&1 || need+=(dpkg-dev)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${need[@]}" || exit 1
fi

# Release, no X11 (the box runs with --no-editor), no tests or benchmarks.
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DVELUMBRA_BUILD_TESTS=OFF \
  -DVELUMBRA_BUILD_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_X11=ON >/dev/null || exit 1
cmake --build "$build_dir" -j"$jobs" --target velumbra velumbra-console-sim velumbra-surface-sim || exit 1
rm -f "$build_dir"/velumbra_*.deb
(cd "$build_dir" && cpack -G DEB) || exit 1
arch=$(dpkg --print-architecture)
deb=$(ls "$build_dir"/velumbra_*_"$arch".deb) || exit 1

work=$(mktemp -d /tmp/velumbra-package.XXXXXX)
root=$work/root
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # check NAME COMMAND...: runs COMMAND, counts and reports the result
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok      $name"
  else
    failed=$((failed + 1))
    echo "FAILED  $name"
  fi
}
show() {  # the end of a log, for a failure
  sed 's/^/  | /' "$1" | tail -n 20
  return 1
}
# Waits up to $2 tenths of a second for a line starting with $3 in file $1.
wait_for_line() {
  local i
  for ((i = 0; i < $2; i++)); do
    grep -q "^$3" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

dpkg-deb -x "$deb" "$root" || exit 1
dpkg-deb -e "$deb" "$work/control" || exit 1

# ---- contents and control data
has_files() {
  local f missing=0
  for f in "$@"; do
    [ -f "$root/$f" ] || { echo "  missing: $f"; missing=1; }
  done
  return $missing
}
check "programs and unit file installed" has_files usr/bin/velumbra usr/bin/velumbra-console-sim \
  usr/bin/velumbra-surface-sim usr/lib/systemd/system/velumbra.service
check "manual pages, copyright and changelog installed" has_files usr/share/man/man1/velumbra.1.gz \
  usr/share/man/man1/velumbra-console-sim.1.gz usr/share/man/man1/velumbra-surface-sim.1.gz \
  usr/share/doc/velumbra/copyright usr/share/doc/velumbra/changelog.gz
options_file_ok() {  # a conffile, and by default both devices found
  grep -qx /etc/default/velumbra "$work/control/conffiles" &&
    [ "$(grep -v '^#' "$root/etc/default/velumbra" | grep -v '^$')" = 'VELUMBRA_OPTIONS="--mixer auto --surface auto"' ] ||
    { echo "  conffiles: $(cat "$work/control/conffiles" 2>/dev/null)"; return 1; }
}
check "service options in /etc/default/velumbra, a conffile" options_file_ok
if command -v lintian >/dev/null 2>&1; then
  lintian_ok() {  # every error and warning fails; the root notice is not about the package
    local status out
    lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1
    status=$?
    out=$(grep -v 'running with root privileges' "$work/lintian.txt")
    echo "  lintian $(lintian --version | sed 's/^Lintian v//'): exit status $status, ${#out} characters of output"
    [ -z "$out" ] && [ "$status" = 0 ] || { echo "$out" | sed 's/^/  | /'; return 1; }
  }
  check "lintian: no error, no warning" lintian_ok
  # Info tags that a compiler flag, a strip step or a line of the unit
  # mends fail; the rest are named. Left on purpose: no init.d script (the
  # service relies on systemd's sandbox, which a SysV script cannot give).
  lintian_info_ok() {
    local tags mendable
    tags=$(lintian -I "$deb" 2>&1 | grep '^I: ' | sed 's/^I: velumbra: //')
    echo "$tags" | sed -n 's/^\(..*\)/  info: \1/p'
    mendable=$(echo "$tags" | grep -E '^(hardening-|binary-has-unneeded-section|systemd-service-file-missing-documentation-key)')
    [ -z "$mendable" ]
  }
  check "lintian: no info tag that a flag or a line mends" lintian_info_ok
else
  echo "skipped lintian: lintian is not installed"
fi
check "effects description files installed" has_files usr/share/velumbra/fx1_4.prm usr/share/velumbra/fx5_8.prm
control_ok() {
  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "  Depends: $depends"
  [ "$(dpkg-deb -f "$deb" Package)" = velumbra ] && [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] &&
    [[ $depends == *adduser* && $depends == *libc6* ]] &&
    [[ $depends != *libx11* ]]  # headless: no X libraries pulled onto the box
}
check "control: name, architecture, depends" control_ok

# ---- maintainer scripts
scripts_ok() {
  local s
  for s in postinst prerm postrm; do
    [ -x "$work/control/$s" ] && sh -n "$work/control/$s" || { echo "  $s: missing or bad syntax"; return 1; }
  done
}
check "maintainer scripts present, executable, valid sh" scripts_ok
# The maintainer scripts with dpkg's own service helper working inside the
# unpacked package (DPKG_ROOT), and stand-ins that log what would change
# this machine (user, folders, systemctl).
maintainer_ok() {
  local stubs=$work/stubs log=$work/stubs.log tool
  local wants=$root/etc/systemd/system/multi-user.target.wants
  mkdir -p "$stubs"
  for tool in adduser install systemctl deb-systemd-invoke; do
    printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$tool" "$log" >"$stubs/$tool"
  done
  printf '#!/bin/sh\n[ -n "$STUB_USER_EXISTS" ]\n' >"$stubs/getent"
  chmod +x "$stubs"/*
  run() { PATH=$stubs:$PATH DPKG_ROOT=$root DPKG_MAINTSCRIPT_PACKAGE=velumbra sh "$work/control/$@"; }
  : >"$log"
  run postinst configure || return 1
  # First install: the user with its home, and the service not enabled.
  # The home exists before the user (else adduser warns that it cannot reach it).
  [ "$(sed -n 1p "$log")" = 'install -d -m 0750 /var/lib/velumbra' ] &&
    [[ $(sed -n 2p "$log") == 'adduser --system --group --home /var/lib/velumbra '*' velumbra' ]] &&
    grep -qx 'install -d -o velumbra -g velumbra -m 0750 /var/lib/velumbra' "$log" &&
    [ ! -L "$wants/velumbra.service" ] || { echo "  first install"; show "$log"; return 1; }
  # Once enabled by the operator, an upgrade keeps it enabled and makes no user.
  mkdir -p "$wants" "$root/var/lib/velumbra"
  ln -s /usr/lib/systemd/system/velumbra.service "$wants/velumbra.service"
  : >"$log"
  STUB_USER_EXISTS=1 run postinst configure 0.1.0 || return 1
  ! grep -q '^adduser' "$log" && [ -L "$wants/velumbra.service" ] || { echo "  upgrade"; show "$log"; return 1; }
  # Purge takes the enablement and the settings away.
  run prerm remove && run postrm remove && run postrm purge || return 1
  [ ! -L "$wants/velumbra.service" ] && [ ! -e "$root/var/lib/velumbra" ] || { echo "  purge"; return 1; }
}
check "maintainer scripts: user, enabling left to the operator, purge" maintainer_ok

# ---- the unit file
unit=$root/usr/lib/systemd/system/velumbra.service
unit_ok() {
  local exec_start
  exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
  [ -x "$root${exec_start%% *}" ] && [[ " $exec_start " == *" --no-editor "* ]] &&
    grep -qx 'User=velumbra' "$unit" && grep -qx 'StandardInput=null' "$unit" &&
    grep -qx 'Restart=on-failure' "$unit" && grep -qx 'StateDirectory=velumbra' "$unit" &&
    grep -qx 'Documentation=man:velumbra(1)' "$unit" &&
    grep -qx 'EnvironmentFile=-/etc/default/velumbra' "$unit" && [[ " $exec_start " == *' $VELUMBRA_OPTIONS '* ]] ||
    { echo "  ExecStart=$exec_start"; return 1; }
}
check "unit runs the packaged bridge without editor as user velumbra, with the options file" unit_ok
# With no addresses and no keyboard the bridge ends with 2, which the unit
# does not restart: one clear journal line instead of a restart every 5 s.
no_restart_ok() {
  local profile=$work/empty-home code
  mkdir -p "$profile"
  env -u USERPROFILE HOME="$profile" "$root/usr/bin/velumbra" --no-editor </dev/null >"$work/noconfig.log" 2>&1
  code=$?
  grep -qx 'RestartPreventExitStatus=2' "$unit" && [ "$code" = 2 ] &&
    grep -q '^Cannot ask for the addresses: standard input is closed' "$work/noconfig.log" ||
    { echo "  exit code $code"; show "$work/noconfig.log"; }
}
check "no configuration: exit 2, which the unit does not restart" no_restart_ok

# The self-loop check needs this machine's addresses (getifaddrs, over a
# netlink socket): under the unit's address-family restriction the bridge
# must still name a non-loopback address of the machine. Under systemd the
# restriction is systemd's own; elsewhere a seccomp filter of the same kind.
families=$(sed -n 's/^RestrictAddressFamilies=//p' "$unit")
own_address=$(hostname -I 2>/dev/null | tr ' ' '\n' | grep -E '^[0-9]+(\.[0-9]+){3}$' | grep -v '^127\.' | head -n 1)
restricted_run() {  # restricted_run FAMILIES LOG: the bridge refusing a loop, under FAMILIES
  local port=45219
  local args=(--no-editor --mixer 127.0.0.1:9 --surface "127.0.0.1:$port" --listen-port "$port")
  if [ -d /run/systemd/system ] && command -v systemd-run >/dev/null 2>&1; then
    systemd-run --quiet --wait --pipe --collect -p RestrictAddressFamilies="$1" \
      -p Environment="USERPROFILE=$work" "$root/usr/bin/velumbra" "${args[@]}" </dev/null >"$2" 2>&1
  else
    USERPROFILE=$work "$work/restrict_families" "${1// /,}" "$root/usr/bin/velumbra" "${args[@]}" \
      </dev/null >"$2" 2>&1
  fi
}
if [ -z "$own_address" ]; then
  echo "skipped the address-family check: this machine has no IPv4 address besides loopback"
elif [ -d /run/systemd/system ] || g++ -std=c++20 -O1 -o "$work/restrict_families" .ci/restrict_families.cpp; then
  # The filter must bite (AF_INET alone hides the address), or the check proves nothing.
  filter_bites() {
    restricted_run AF_INET "$work/inet-only.log"
    grep -q "this computer's own (127.0.0.1)" "$work/inet-only.log" || show "$work/inet-only.log"
  }
  check "the restriction filter hides this machine's addresses without AF_NETLINK" filter_bites
  families_ok() {
    restricted_run "$families" "$work/unit-families.log"
    echo "  RestrictAddressFamilies=$families"
    grep -q "this computer's own (127.0.0.1.*, $own_address[,)]" "$work/unit-families.log" ||
      show "$work/unit-families.log"
  }
  check "under the unit's address families the bridge still knows $own_address as its own" families_ok
else
  check "the address-family filter builds" false
fi
if command -v systemd-analyze >/dev/null 2>&1 && [ -d /lib/systemd/system ]; then
  # verify needs the units ours refers to (sysinit.target, ...) in the root.
  verify_root=$work/verify
  mkdir -p "$verify_root/usr/lib/systemd/system" "$verify_root/usr/bin"
  cp -a /lib/systemd/system/. "$verify_root/usr/lib/systemd/system/"
  cp "$unit" "$verify_root/usr/lib/systemd/system/"
  cp "$root/usr/bin/velumbra" "$verify_root/usr/bin/"
  verify_ok() {  # warnings (unknown keys, bad values) count as failures
    local out
    # The unit's Documentation= page is looked up with man: the package's own.
    out=$(MANPATH=$root/usr/share/man systemd-analyze verify --root="$verify_root" velumbra.service 2>&1) &&
      [ -z "$out" ] ||
      { echo "$out" | sed 's/^/  | /'; return 1; }
  }
  check "systemd-analyze verify" verify_ok
  hardening_ok() {
    systemd-analyze security --offline=true --threshold=20 --root="$verify_root" velumbra.service \
      >"$work/security.txt" 2>&1
    local status=$?
    tail -n 1 "$work/security.txt" | sed 's/^/  /'
    return $status
  }
  check "hardened: exposure level at most 2.0" hardening_ok
else
  echo "skipped systemd-analyze verify: systemd-analyze is not installed"
fi

# ---- the installed bridge between the installed emulators, without a keyboard
bin=$root/usr/bin
listening_port() {  # "listening on IP:PORT" in log $1 within 5 s
  wait_for_line "$1" 50 "listening on " || return 1
  sed -n 's/^listening on [0-9.]*:\([0-9][0-9]*\)$/\1/p' "$1" | head -n 1
}
profile=$work/home
mkdir -p "$profile/Documents"
printf '127.0.0.1|127.0.0.1|' >"$profile/Documents/Velumbra.cfg"
"$bin/velumbra-console-sim" --listen 127.0.0.1:0 </dev/null >"$work/console.log" 2>&1 &
pids+=($!)
console_port=$(listening_port "$work/console.log")
# Two ports nobody holds: the system picks them for two probes that let
# them go again. Should another program take one meanwhile, try again.
started=0
for attempt in 1 2 3; do
  probe_ports=()
  for i in 1 2; do
    "$bin/velumbra-console-sim" --listen 127.0.0.1:0 </dev/null >"$work/probe$i.log" 2>&1 &
    probe_pids[$i]=$!
  done
  for i in 1 2; do probe_ports+=("$(listening_port "$work/probe$i.log")"); done
  kill -TERM "${probe_pids[@]}" 2>/dev/null
  wait "${probe_pids[@]}" 2>/dev/null
  bridge_port=${probe_ports[0]}
  surface_port=${probe_ports[1]}
  # The surface emulator waits until the bridge has shown the console's
  # first channel (its name comes from the console emulator), then touches
  # a fader so that the bridge hears from it.
  printf '%s\n' 'expect within 30000 display 1 color 1 inv 1 top "Ch 1" bottom "Kick"' \
    'touch 1 1' 'touch 1 0' >"$work/surface.script"
  "$bin/velumbra-surface-sim" --listen "127.0.0.1:$surface_port" --bridge "127.0.0.1:$bridge_port" \
    --script "$work/surface.script" </dev/null >"$work/surface.log" 2>&1 &
  surface_pid=$!
  env -u USERPROFILE HOME="$profile" "$bin/velumbra" --no-editor --mixer "127.0.0.1:$console_port" \
    --surface "127.0.0.1:$surface_port" --listen-port "$bridge_port" </dev/null >"$work/bridge.log" 2>&1 &
  bridge_pid=$!
  pids+=("$surface_pid" "$bridge_pid")
  wait_for_line "$work/bridge.log" 50 "Ready for the messages" && { started=1; break; }
  kill -KILL "$surface_pid" "$bridge_pid" 2>/dev/null
  wait "$surface_pid" "$bridge_pid" 2>/dev/null
done
check "bridge starts from the package" [ "$started" = 1 ]
check "start-up completes against the console emulator" wait_for_line "$work/bridge.log" 600 "Listening to messages"
surface_ok() {
  wait_for_line "$work/surface.log" 300 "expect ok: display 1" || show "$work/surface.log"
}
check "the surface shows the console" surface_ok
idle_ok() {  # standard input at its end: still running, and no busy loop
  local before after ticks
  before=$(awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$bridge_pid/stat") || return 1
  sleep 2
  kill -0 "$bridge_pid" || return 1
  after=$(awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$bridge_pid/stat") || return 1
  ticks=$(getconf CLK_TCK)
  echo "  CPU over 2 s: $((after - before)) ticks of $((2 * ticks))"
  [ $((after - before)) -lt $((2 * ticks / 4)) ]
}
check "runs idle with standard input closed (< 25 % CPU)" idle_ok
status_ok() {
  kill -USR1 "$bridge_pid" &&
    wait_for_line "$work/bridge.log" 50 "---- status ----" &&
    wait_for_line "$work/bridge.log" 20 "mixer   127.0.0.1:$console_port (command line)  answered in the last 10 s: yes" &&
    wait_for_line "$work/bridge.log" 20 "surface 1 127.0.0.1:$surface_port (command line)  sent anything in the last 10 s: yes" &&
    kill -0 "$bridge_pid" || show "$work/bridge.log"
}
check "SIGUSR1 prints the status block" status_ok
stop_ok() {
  local code
  kill -TERM "$bridge_pid" || return 1
  timeout 5 tail --pid="$bridge_pid" -f /dev/null || return 1
  wait "$bridge_pid"
  code=$?
  [ "$code" = 0 ] && grep -q '^Cleaning up and stopping' "$work/bridge.log" ||
    { echo "  exit code $code"; show "$work/bridge.log"; }
}
check "SIGTERM stops it cleanly (exit 0)" stop_ok

echo "package-test: $passed passed, $failed failed"
echo "package: $deb"
[ "$failed" = 0 ]
