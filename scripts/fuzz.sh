#!/usr/bin/env bash
# Runs the libFuzzer targets, each for SECONDS (default 60), from the seed corpora in
# fuzz/corpus/ plus what earlier runs found (kept under build/fuzz/). Exits non-zero when a
# target finds a crash or a broken invariant; the input is left in build/fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]      targets: parser_fuzz modefile_fuzz setargs_fuzz filtertext_fuzz
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(parser_fuzz modefile_fuzz setargs_fuzz filtertext_fuzz)

# libFuzzer comes with clang in libclang-rt-14-dev (only recommended by clang on Debian 12).
scripts/deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}"

mkdir -p build/fuzz/artifacts
status=0
for t in "${targets[@]}"; do
    seeds=fuzz/corpus/${t%_fuzz}
    work=build/fuzz/corpus/${t%_fuzz}
    mkdir -p "$work"
    echo "== $t for ${seconds}s"
    if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "build/fuzz/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
        -artifact_prefix="build/fuzz/artifacts/$t-" "$work" "$seeds" 2>"build/fuzz/$t.log"; then
        status=1
        tail -n 40 "build/fuzz/$t.log"
    fi
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units|^stat::peak_rss' "build/fuzz/$t.log" || true
done
exit $status
