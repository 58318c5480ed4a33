#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. Arguments go to the game (and GLUT).
# VOLTARO_CONSOLE_LATIN1=ON builds a game that writes its transcript's two accented letters as
# Latin-1 bytes; every run sets the choice afresh, so a later plain run is UTF-8 again.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" jugar
"$raiz/scripts/compilar.sh" -DVOLTARO_TESTS=OFF \
    -DVOLTARO_CONSOLE_LATIN1="${VOLTARO_CONSOLE_LATIN1:-OFF}" >/dev/null
if [ -z "${DISPLAY:-}" ]; then
    echo "voltaro: no display to open the window on (DISPLAY is not set); run it from a desktop session, or with DISPLAY=host:0 for another one" >&2
    exit 1
fi
exec "$raiz/build/voltaro" "$@"
