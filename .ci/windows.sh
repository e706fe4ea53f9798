#!/usr/bin/env bash
# The Windows build under wine: the cross-built unit tests, then the Windows zelctl.exe
# against zel-sim through a COM port that wine maps onto the simulator's pseudo-terminal
# (pull, set, push), with the upload time of the Linux zelctl on the same simulator beside
# it. Needs the release build of zel-sim and zelctl (scripts/test.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

scripts/deps.sh g++-mingw-w64-x86-64 googletest wine wine64 gcc
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$(nproc)"

work=$(mktemp -d)
export WINEPREFIX="$PWD/build/mingw/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "== wine prefix"
timeout 300 wineboot -i >/dev/null 2>&1 || true
com=COM7
link="$work/zel-sim-port"
# wine maps the port when it starts, so the key is written before the server runs again.
wine reg add 'HKLM\Software\Wine\Ports' /v "$com" /t REG_SZ /d "$link" /f >/dev/null
wineserver -k 2>/dev/null || true
wineserver -p >/dev/null 2>&1
# Starts wine's background services here, so that they do not hold ctest's output open.
timeout 120 wine cmd /c exit >/dev/null 2>&1

echo "== Windows unit tests under wine"
timeout 900 ctest --preset mingw -V >"$work/ctest.log" 2>&1 || {
    grep -E '^[0-9]+: \[  FAILED  \]|Failure|Timeout|tests passed' "$work/ctest.log" || true
    tail -40 "$work/ctest.log"
    exit 1
}
grep -E '^[0-9]+: \[  (PASSED|FAILED)  \]|tests passed' "$work/ctest.log"
passed=$(grep -E '^[0-9]+: \[  PASSED  \] [0-9]+ test' "$work/ctest.log" |
         awk '{s += $5} END {print s + 0}')
echo "windows: $passed passed, 0 failed"

echo "== zelctl.exe on $com -> zel-sim (wine serial)"
bin=build/release/bin
wbin=build/mingw/bin
"$bin/zel-sim" --link "$link" >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
[ -e "$link" ] || { echo "zel-sim did not start"; exit 1; }

# A pseudo-terminal has no modem lines: wine reads them (TIOCMGET, ENOTTY on a pty) to arm a
# wait whose mask has EV_CTS, so WaitCommEvent fails with ERROR_NOT_SUPPORTED on the port
# thread's first wait. Show that once, then give the pseudo-terminal steady CTS/DSR lines.
if WINEDEBUG=+comm,warn+file timeout 60 wine "$wbin/zelctl.exe" pull --port "$com" \
        "Z:$work/bare.dat" >"$work/bare.log" 2>&1; then
    echo "bare pseudo-terminal: pull works without the modem-line shim"
else
    echo "bare pseudo-terminal: pull fails as known; WaitCommEvent in wine's trace:"
    grep -E 'WAIT_ON_MASK|get_irq_info|TIOCMGET|ioctl 1b0048|^zelctl:' "$work/bare.log" |
        sed 's/^[0-9a-f]*://; s/ 0x[0-9a-f]*//g' | awk '!seen[$0]++' | sed 's/^/  /'
fi
gcc -shared -fPIC -O2 -Wall -Wextra -o "$work/pty_modem_lines.so" .ci/pty_modem_lines.c -ldl
shim="$work/pty_modem_lines.so"

now() { date +%s.%N; }
span() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", b - a}'; }
wzelctl() { LD_PRELOAD="$shim" timeout 120 wine "$wbin/zelctl.exe" "$@"; }

t0=$(now); wzelctl --help >/dev/null; t1=$(now)
wine_start=$(span "$t0" "$t1")

wzelctl pull --port "$com" "Z:$work/win.dat"
"$bin/zelctl" pull --port "$link" "$work/linux.dat"
cmp "$work/win.dat" "$work/linux.dat"
echo "pull: the Windows and the Linux zelctl read the same 1427-byte mode file"

wzelctl set --port "$com" 'eqBand[5].gain=300'
"$bin/zelctl" pull --port "$link" "$work/after-set.dat"
"$bin/zelctl" show "$work/after-set.dat" >"$work/after-set.txt"
grep -x 'eqBand\[5\].gain=300 6.0 dB' "$work/after-set.txt"
echo "set: eqBand[5].gain=300 reached the simulator"

t0=$(now); wzelctl --verbose push --port "$com" "Z:$work/linux.dat" 2>"$work/wpush.log"; t1=$(now)
win_push=$(span "$t0" "$t1")
t0=$(now); "$bin/zelctl" --verbose push --port "$link" "$work/linux.dat" 2>"$work/lpush.log"; t1=$(now)
linux_push=$(span "$t0" "$t1")
"$bin/zelctl" pull --port "$link" "$work/after-push.dat"
cmp "$work/after-push.dat" "$work/linux.dat"
frames() { grep -c ' TX ' "$1"; }
last_rx() { awk '$2 == "RX" {t = $1} END {print t}' "$1"; }
echo "push: the simulator holds the file ($(frames "$work/wpush.log") frames sent by zelctl.exe, $(frames "$work/lpush.log") by zelctl, keep-alives included)"
printf 'upload (connect, sync, 347 frames)  %-8s  %-8s  %s\n' Linux wine ratio
printf '  link time, last reply           %6.2f s  %6.2f s  %.1f\n' "$(last_rx "$work/lpush.log")" \
    "$(last_rx "$work/wpush.log")" \
    "$(awk -v a="$(last_rx "$work/lpush.log")" -v b="$(last_rx "$work/wpush.log")" 'BEGIN {print b / a}')"
printf '  wall time of the command        %6.2f s  %6.2f s  (wine start alone %s s)\n' \
    "$linux_push" "$win_push" "$wine_start"
echo "Windows stage: $((SECONDS - started)) s"
