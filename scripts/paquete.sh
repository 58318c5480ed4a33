#!/usr/bin/env bash
# Builds the game's Debian packages from this tree as Debian builds its own: the source package
# (dpkg-source, native format, debian/), then the binary packages from that source package with
# dpkg-buildpackage (debhelper, debian/rules), in DIR (build/paquete unless told), after
# installing whatever build dependencies are missing. Prints the path of the game's .deb; install
# it with `sudo apt install ./build/paquete/voltaro_1.0.0_amd64.deb`.
#
# Uncommitted changes are built too. DEB_BUILD_OPTIONS and DEB_BUILD_PROFILES pass through:
# `DEB_BUILD_OPTIONS=nocheck DEB_BUILD_PROFILES=nocheck` builds without the build-time tests.
# Every file carries the time of the changelog's last entry, so two builds of the same sources
# give the same bytes.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
destino=$(realpath -m "${1:-$raiz/build/paquete}")
"$raiz/scripts/dependencias.sh" paquete

rm -rf "$destino"
mkdir -p "$destino"
cd "$destino"
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$raiz/debian/changelog" -S Timestamp)
export SOURCE_DATE_EPOCH
version=$(dpkg-parsechangelog -l "$raiz/debian/changelog" -S Version)
# As many jobs as the machine has cores, unless DEB_BUILD_OPTIONS says how many.
trabajos=()
[[ "${DEB_BUILD_OPTIONS:-}" == *parallel=* ]] || trabajos=(--jobs-try=auto)
registro="$destino/construccion.log"
if ! { dpkg-source --build "$raiz" &&
       dpkg-source --extract "voltaro_$version.dsc" fuentes &&
       (cd fuentes && dpkg-buildpackage --build=binary --no-sign "${trabajos[@]}"); } >"$registro" 2>&1; then
    tail -n 40 "$registro" >&2
    echo "paquete.sh: the build failed; its whole log is $registro" >&2
    exit 1
fi
echo "$destino/voltaro_${version}_$(dpkg-architecture -q DEB_HOST_ARCH).deb"
