#!/usr/bin/env bash
# Installs what the build needs, builds, and starts the program with the processor
# simulator standing in for the device (unless ZEL_NO_SIM=1: then only real ports).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
bin=build/release/bin
link="${XDG_RUNTIME_DIR:-/tmp}/zel-sim-port"
sim_pid=""
if [ "${ZEL_NO_SIM:-0}" != 1 ] && [ -x "$bin/zel-sim" ]; then
    "$bin/zel-sim" --link "$link" &
    sim_pid=$!
    trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true' EXIT
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
    export ZEL_EXTRA_PORTS="$link${ZEL_EXTRA_PORTS:+:$ZEL_EXTRA_PORTS}"
fi
if [ -x "$bin/zel" ]; then
    "$bin/zel" "$@"
elif [ -x "$bin/zelctl" ]; then
    # Until the desktop program is there, show the link at work with the command-line tool.
    if (($#)); then
        "$bin/zelctl" "$@"
    else
        echo "== serial ports"
        "$bin/zelctl" ports
        state="$(mktemp --suffix=.dat)"
        echo "== the processor's parameters (zelctl pull $state)"
        "$bin/zelctl" pull ${sim_pid:+--port "$link"} "$state"
        "$bin/zelctl" show "$state" | grep -E '^(scene|volumeLimit|eqBand\[0\])'
        rm -f "$state"
    fi
else
    echo "built: $(ls "$bin" 2>/dev/null | tr '\n' ' ')(the desktop program is not there yet)"
fi
