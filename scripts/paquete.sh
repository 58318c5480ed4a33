#!/usr/bin/env bash
# Installs what is missing, builds the game in build/ and makes its Debian package there, then
# prints the path of the .deb. Install it with `sudo apt install ./build/voltaro_1.0.0_amd64.deb`.
#
# Every file in the package carries the time of the last commit (of the changelog's last entry in
# a tree without git), so that two builds of the same sources give the same bytes; a
# SOURCE_DATE_EPOCH already in the environment is kept.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" paquete
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    if [ "$(git -C "$raiz" rev-parse --show-toplevel 2>/dev/null)" = "$raiz" ]; then
        SOURCE_DATE_EPOCH=$(git -C "$raiz" log -1 --format=%ct)
    else
        SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$raiz/datos/changelog" -S Timestamp)
    fi
fi
export SOURCE_DATE_EPOCH
"$raiz/scripts/compilar.sh" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLTARO_TESTS=OFF \
    -DVOLTARO_CONSOLE_LATIN1=OFF >/dev/null
cd "$raiz/build"
if ! salida=$(cpack -G DEB 2>&1); then
    echo "$salida" >&2
    exit 1
fi
deb=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$salida")
if [ -z "$deb" ]; then
    echo "$salida" >&2
    echo "paquete.sh: cpack named no package" >&2
    exit 1
fi
echo "$deb"
