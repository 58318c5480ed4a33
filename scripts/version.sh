#!/usr/bin/env bash
# Prints the game's version, the one CMakeLists.txt's project() holds: the release tarball, the
# translation catalogues' headers and the tests take it from here.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(voltaro VERSION \([0-9.]*\) .*/\1/p' "$raiz/CMakeLists.txt")
[ -n "$version" ] || { echo "version.sh: no version in CMakeLists.txt's project()" >&2; exit 1; }
echo "$version"
