#!/usr/bin/env bash
# Makes the release tarball of the commit at HEAD, DIR/voltaro-VERSION.tar.xz (DIR is
# build/lanzamiento unless told), and its .sha256, and prints its path; README.md's "Install" says
# what goes in and why the same commit always gives the same bytes.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
destino=$(realpath -m "${1:-$raiz/build/lanzamiento}")
version=$("$raiz/scripts/version.sh")
git -C "$raiz" rev-parse --verify -q HEAD >/dev/null ||
    { echo "lanzamiento.sh: $raiz is not a git clone with a commit" >&2; exit 1; }
if [ -n "$(git -C "$raiz" status --porcelain --untracked-files=no)" ]; then
    echo "lanzamiento.sh: uncommitted changes are not in the release" >&2
fi

nombre=voltaro-$version
mkdir -p "$destino"
# No setting of the user's may change the archive: the modes written (tar.umask), line ends and
# attributes from outside the tree.
git -C "$raiz" -c tar.umask=0022 -c core.autocrlf=false -c core.eol=lf \
    -c core.attributesFile=/dev/null \
    archive --format=tar --prefix="$nombre/" HEAD |
    xz -6 -T1 --check=crc64 -c >"$destino/$nombre.tar.xz.nuevo"
mv "$destino/$nombre.tar.xz.nuevo" "$destino/$nombre.tar.xz"
(cd "$destino" && sha256sum "$nombre.tar.xz" >"$nombre.tar.xz.sha256")
echo "$destino/$nombre.tar.xz"
