#!/usr/bin/env bash
# Installs what the build needs, builds the release preset and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
ctest --preset release -j "$(nproc)" "$@"
