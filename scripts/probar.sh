#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs the whole test suite (unit,
# sanitizers, rendering, end-to-end, formatting) on a private Xvfb server, which it always stops.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" probar
"$raiz/scripts/compilar.sh" -DVOLTARO_TESTS=ON -DVOLTARO_WERROR=ON

# Xvfb picks a free display number itself and tells it through a pipe, so two runs on one
# machine never collide.
tmp=$(mktemp -d)
xvfb_pid=
parar() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap parar EXIT
trap 'exit 130' INT TERM
mkfifo "$tmp/numero"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$tmp/numero" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
read -r numero <"$tmp/numero"
export DISPLAY=":$numero"
unset WAYLAND_DISPLAY

cd "$raiz/build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
