#!/usr/bin/env bash
# Builds the game's Debian packages as Debian builds its own, on the release tarball: the tarball
# of the commit at HEAD (scripts/lanzamiento.sh) is the source package's voltaro_VERSION.orig.tar.xz
# byte for byte; unpacked, with this clone's debian/ added, it becomes the source package (format
# 3.0 (quilt), dpkg-source), from which dpkg-buildpackage (debhelper, debian/rules) builds the
# binary packages, unpacked anew, in DIR (build/paquete unless told), after installing whatever build
# dependencies are missing. Prints the path of the game's .deb; install it with
# `sudo apt install ./build/paquete/voltaro_1.0.0-1_amd64.deb`.
#
#   paquete.sh [DIR]            the source package and the binary packages
#   paquete.sh --fuente [DIR]   the source package only; prints the path of its .dsc
#
# Only committed changes to the game are built; debian/ is taken as it lies in the clone.
# DEB_BUILD_OPTIONS and DEB_BUILD_PROFILES pass through: `DEB_BUILD_OPTIONS=nocheck
# DEB_BUILD_PROFILES=nocheck` builds without the build-time tests. dpkg's tools give every file
# the time of the changelog's last entry, so two builds of the same sources give the same bytes.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
solo_fuente=false
if [ "${1:-}" = --fuente ]; then
    solo_fuente=true
    shift
fi
destino=$(realpath -m "${1:-$raiz/build/paquete}")
if $solo_fuente; then
    "$raiz/scripts/dependencias.sh" fuente
else
    "$raiz/scripts/dependencias.sh" paquete
fi

rm -rf "$destino"
mkdir -p "$destino"
cd "$destino"
version=$(dpkg-parsechangelog -l "$raiz/debian/changelog" -S Version)
tarball=$("$raiz/scripts/lanzamiento.sh" "$destino/lanzamiento")
cp "$tarball" "voltaro_${version%-*}.orig.tar.xz"
tar -xJf "$tarball"
fuentes=$(basename "$tarball" .tar.xz)
# debian/ as the clone has it, new files not yet committed included, less what git ignores (what
# a build in the clone leaves there).
(cd "$raiz" && git ls-files -z --cached --others --exclude-standard debian |
    xargs -0 -I{} find {} -maxdepth 0 -type f -print0 |
    tar --null --files-from=- -cf -) | tar -C "$fuentes" -xf -

registro="$destino/construccion.log"
if ! dpkg-source --build "$fuentes" >"$registro" 2>&1; then
    cat "$registro" >&2
    echo "paquete.sh: dpkg-source failed" >&2
    exit 1
fi
if $solo_fuente; then
    rm -rf "$fuentes" lanzamiento
    echo "$destino/voltaro_$version.dsc"
    exit 0
fi
# As many jobs as the machine has cores, unless DEB_BUILD_OPTIONS says how many.
trabajos=()
[[ "${DEB_BUILD_OPTIONS:-}" == *parallel=* ]] || trabajos=(--jobs-try=auto)
if ! { dpkg-source --extract "voltaro_$version.dsc" construccion &&
       (cd construccion && dpkg-buildpackage --build=binary --no-sign "${trabajos[@]}"); } \
    >>"$registro" 2>&1; then
    tail -n 40 "$registro" >&2
    echo "paquete.sh: the build failed; its whole log is $registro" >&2
    exit 1
fi
echo "$destino/voltaro_${version}_$(dpkg-architecture -q DEB_HOST_ARCH).deb"
