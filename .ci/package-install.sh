#!/usr/bin/env bash
# Installs the built package the way a user does, checks the installed programs and their
# man pages from the installed paths, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(ls build/package/zel_*.deb)
scripts/deps.sh man-db
trap 'DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq zel >/dev/null 2>&1 || true' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
for program in zelctl zel-sim; do
    [ "$(command -v "$program")" = "/usr/bin/$program" ]
    help=$("/usr/bin/$program" --help)
    page=$(MANPAGER=cat MANWIDTH=80 man "$program")
    # The usage line, and the NAME line of the man page.
    printf '%s\n' "$help" | sed -n 1p
    printf '%s\n' "$page" | sed -n 4p
done
if dpkg -L zel | grep -x /usr/bin/zel >/dev/null; then
    dpkg -L zel | grep -E '\.desktop$|hicolor/.*\.png$'
fi
echo "installed and checked: $(dpkg-query -W -f '${Package} ${Version}' zel)"
