#!/usr/bin/env bash
# Installs what the build needs, builds, and starts the program with the processor
# simulator standing in for the device (unless ZEL_NO_SIM=1: then only real ports).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
bin=build/release/bin
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "no display: run scripts/run.sh in a desktop session (or with QT_QPA_PLATFORM=offscreen); $bin/zelctl works without one" >&2
    exit 1
fi
link="${XDG_RUNTIME_DIR:-/tmp}/zel-sim-port"
sim_pid=""
if [ "${ZEL_NO_SIM:-0}" != 1 ]; then
    "$bin/zel-sim" --link "$link" &
    sim_pid=$!
    trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true' EXIT
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
    export ZEL_EXTRA_PORTS="$link${ZEL_EXTRA_PORTS:+:$ZEL_EXTRA_PORTS}"
fi
"$bin/zel" "$@"
