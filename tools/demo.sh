#!/usr/bin/env bash
# The bridge between its two device emulators, all on this machine:
#   bash tools/demo.sh [--surfaces N] [BUILD_DIR]   (default: 1, build)
# The console emulator and the bridge run in the background on loopback
# ports nobody else uses, with a profile folder and logs of their own in a
# temporary folder; the surface emulator runs in this terminal. With
# --surfaces 2 (up to 4) that many surface emulators run side by side in the
# panes of a tmux session, each an X-Touch of its own. Quitting the surface
# emulator (q, or Ctrl+C; with several, every one of them) prints how the
# bridge found the devices and its status block, stops everything and
# removes the folder.
# VELUMBRA_DEMO_KEEP=1 keeps the folder (and the logs) for a look afterwards.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
surfaces=1
if [[ ${1:-} == --surfaces ]]; then
    surfaces=${2:-}
    shift 2 || shift
fi
if [[ ! $surfaces =~ ^[1-4]$ ]]; then
    echo "demo: --surfaces takes 1 to 4" >&2
    exit 1
fi
if [[ $surfaces -gt 1 ]] && ! command -v tmux >/dev/null; then
    echo "demo: several surface emulators run in tmux panes; install tmux (apt-get install tmux)" >&2
    exit 1
fi
build=${1:-build}
if [[ ! -d $build && -d $root/$build ]]; then build=$root/$build; fi

console_sim=$build/velumbra-console-sim
surface_sim=$build/velumbra-surface-sim
bridge=$build/velumbra
for program in "$console_sim" "$surface_sim" "$bridge"; do
    if [[ ! -x $program ]]; then
        echo "demo: $program is missing; build first:" >&2
        echo "  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELUMBRA_BUILD_TESTS=OFF -DVELUMBRA_BUILD_BENCH=OFF" >&2
        echo "  cmake --build build -j2" >&2
        exit 1
    fi
done
if [[ ! -t 0 || ! -t 1 ]]; then
    echo "demo: the surface emulator needs a terminal (run this in one)" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/velumbra-demo.XXXXXX") || exit 1
pids=()

# What a user should have seen the bridge say, printed once the surface
# emulator has given the terminal back: how it found both devices, and its
# status block (asked for with SIGUSR1, as a service's would be).
show_bridge() {
    local log=$work/bridge.log
    [[ -n ${bridge_pid:-} && -f $log ]] || return 0
    if kill -USR1 "$bridge_pid" 2>/dev/null; then
        for _ in $(seq 40); do
            grep -q '^----------------$' "$log" && break
            sleep 0.05
        done
    fi
    echo "demo: the bridge said (from $log):"
    grep -E '^(Looking for the mixer|Found mixer|No answer from the mixer|Waiting for the X-Touch|Found X-Touch|Ignoring another X-Touch|Listening to messages|Mixer not responding|Mixer is back)' "$log" |
        sed 's/^/  /'
    sed -n '/^---- status ----$/,/^----------------$/p' "$log" | sed 's/^/  /'
}

cleanup() {
    trap - EXIT INT TERM HUP
    show_bridge
    local pid
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    [[ -n ${session:-} ]] && tmux kill-session -t "$session" 2>/dev/null
    if [[ ${VELUMBRA_DEMO_KEEP:-0} == 1 ]]; then
        echo "demo: logs kept in $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

fail() {
    echo "demo: $1" >&2
    if [[ -n ${2:-} && -f $2 ]]; then sed 's/^/  | /' "$2" | tail -n 15 >&2; fi
    exit 1
}

# Waits up to 5 s for "listening on IP:PORT" in a log and prints PORT.
listening_port() {
    local log=$1 port
    for _ in $(seq 100); do
        port=$(sed -n 's/^listening on [0-9.]*:\([0-9][0-9]*\)$/\1/p' "$log" 2>/dev/null | head -n 1)
        if [[ -n $port ]]; then echo "$port"; return 0; fi
        sleep 0.05
    done
    return 1
}

# Ports that no socket holds now: the system picks them for short-lived
# emulators at once (so they differ), which then let them go again.
free_ports() {
    local count=$1 probes=() logs=() i port
    for ((i = 0; i < count; i++)); do
        logs+=("$work/probe$i.log")
        "$console_sim" --listen 0.0.0.0:0 </dev/null >"$work/probe$i.log" 2>&1 &
        probes+=($!)
    done
    local ports=()
    for ((i = 0; i < count; i++)); do ports+=("$(listening_port "${logs[$i]}")"); done
    kill -TERM "${probes[@]}" 2>/dev/null
    wait "${probes[@]}" 2>/dev/null
    rm -f "${logs[@]}"
    for port in "${ports[@]}"; do [[ -n $port ]] || return 1; done
    printf '%s\n' "${ports[@]}"
}

# Several surface emulators, one per pane of a tmux session of their own,
# each started (and quit) by hand there; the session ends with the last.
start_surface_panes() {
    local bridge_port=$1 i cmd
    shift
    session=velumbra-demo-$$
    for ((i = 0; i < surfaces; i++)); do
        cmd="$(printf '%q' "$surface_sim") --listen 127.0.0.1:$1 --bridge 127.0.0.1:$bridge_port"
        shift
        if [[ $i == 0 ]]; then
            TMUX= tmux new-session -d -s "$session" -x "$(tput cols 2>/dev/null || echo 160)" \
                -y "$(tput lines 2>/dev/null || echo 48)" "$cmd" || return 1
        else
            tmux split-window -t "$session" "$cmd" || return 1
            # Side by side when each pane still gets 80 columns.
            tmux select-layout -t "$session" "$([[ $(tput cols 2>/dev/null || echo 80) -ge $((81 * surfaces)) ]] &&
                echo even-horizontal || echo even-vertical)" >/dev/null
        fi
    done
}

# A profile folder of its own: no configuration file (both addresses are
# found: the console answers /xinfo, asked on loopback only, never by
# broadcast; the surface emulator's probe names the surface), no editor; the bridge copies the effects
# description files into it from the fxdata folder beside it, as on a fresh
# machine.
profile=$work/profile
mkdir -p "$profile/Documents"
[[ -f $build/fxdata/fx1_4.prm && -f $build/fxdata/fx5_8.prm ]] ||
    fail "$build/fxdata has no effects descriptions; build again"

"$console_sim" --listen 127.0.0.1:0 </dev/null >"$work/console.log" 2>&1 &
console_pid=$!
pids=("$console_pid")
console_port=$(listening_port "$work/console.log") || fail "the console emulator did not start" "$work/console.log"

# The surface emulator first, so that it shows the bridge's start-up too. It
# runs in the background so that a signal to this script is acted on at
# once; the explicit redirection keeps the terminal as its standard input.
# The bridge binds its surface port a moment after the probe let it go;
# should someone else take it meanwhile, both start again on other ports.
for attempt in 1 2 3; do
    ports=$(free_ports $((surfaces + 1))) || fail "no free UDP ports"
    bridge_port=$(sed -n 1p <<<"$ports")
    surface_port=$(sed -n 2p <<<"$ports")
    if [[ $surfaces == 1 ]]; then
        "$surface_sim" --listen "127.0.0.1:$surface_port" --bridge "127.0.0.1:$bridge_port" <&0 &
        surface_pid=$!
    else
        # shellcheck disable=SC2046
        start_surface_panes "$bridge_port" $(sed -n "2,$((surfaces + 1))p" <<<"$ports") ||
            fail "tmux could not start the surface emulators"
        # Stands for the panes: it ends when the session does.
        (while tmux has-session -t "$session" 2>/dev/null; do sleep 0.2; done) &
        surface_pid=$!
    fi
    pids=("$surface_pid" "$console_pid")
    USERPROFILE=$profile HOME=$profile "$bridge" --mixer auto \
        --discover-address "127.0.0.1:$console_port" --surface auto \
        --listen-port "$bridge_port" --no-editor \
        </dev/null >"$work/bridge.log" 2>&1 &
    bridge_pid=$!
    pids=("$surface_pid" "$bridge_pid" "$console_pid")
    ready=0
    for _ in $(seq 100); do
        if grep -q '^Ready for the messages' "$work/bridge.log"; then ready=1; break; fi
        kill -0 "$bridge_pid" 2>/dev/null || break
        sleep 0.05
    done
    if [[ $ready == 1 ]]; then break; fi
    kill -TERM "$surface_pid" "$bridge_pid" 2>/dev/null
    wait "$surface_pid" "$bridge_pid" 2>/dev/null
    [[ -n ${session:-} ]] && tmux kill-session -t "$session" 2>/dev/null
    pids=("$console_pid")
    grep -q '^bind: ' "$work/bridge.log" && [[ $attempt -lt 3 ]] || fail "the bridge did not start" "$work/bridge.log"
done

if [[ $surfaces -gt 1 ]]; then
    # Back from the session: every emulator quit, or the user detached.
    TMUX= tmux attach-session -t "$session" || true
    tmux kill-session -t "$session" 2>/dev/null
fi
wait "$surface_pid"
