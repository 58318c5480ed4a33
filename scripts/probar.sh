#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs the whole test suite (unit,
# sanitizers, rendering, end-to-end, formatting) on a private Xvfb server, which it always stops.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" probar
# The tests expect the UTF-8 transcript, whatever an earlier play run chose.
"$raiz/scripts/compilar.sh" -DVOLTARO_TESTS=ON -DVOLTARO_WERROR=ON -DVOLTARO_CONSOLE_LATIN1=OFF

# shellcheck source=scripts/xvfb.sh
. "$raiz/scripts/xvfb.sh"
tmp=$(mktemp -d)
trap 'para_xvfb; rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM
arranca_xvfb "$tmp"

cd "$raiz/build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
