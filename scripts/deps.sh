#!/usr/bin/env bash
# Installs the Debian packages the build needs, once. Extra package names may be passed.
set -euo pipefail
pkgs=(build-essential cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev
      qt6-base-dev qt6-base-dev-tools libgl-dev help2man
      fonts-liberation fonts-noto-cjk "$@")   # Arial metrics; the Chinese texts
# zelctl's JSON output; the serial device server of the network port tests.
pkgs+=(nlohmann-json3-dev ser2net)
missing=()
for p in "${pkgs[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "installing: ${missing[*]}" >&2
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
