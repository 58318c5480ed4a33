#!/usr/bin/env bash
# Builds the game's Debian packages as Debian builds its own, from the release tarball of the commit
# at HEAD and this clone's debian/, into DIR (build/paquete unless told), installing the build
# dependencies that are missing; prints the game's .deb. README.md's "The Debian package" says more.
#
#   paquete.sh [DIR]            the source package and the binary packages
#   paquete.sh --fuente [DIR]   the source package only; prints its .dsc
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
