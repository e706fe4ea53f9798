#!/usr/bin/env bash
# Builds the Debian package (zel, zelctl, zel-sim) from the release preset and checks it with
# lintian. The package lands in build/package/zel_VERSION_ARCH.deb; install it with
#   sudo apt-get install ./build/package/zel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh lintian
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
rm -rf build/package
cpack --config build/release/CPackConfig.cmake -B build/package >/dev/null
rm -rf build/package/_CPack_Packages
deb=$(ls build/package/zel_*.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb" | awk '{print $6}'
echo "== lintian"
# lintian refuses to run as root unless told; errors fail the build, warnings are shown.
lintian --allow-root --fail-on error --info "$deb"
echo "lintian: no errors"
