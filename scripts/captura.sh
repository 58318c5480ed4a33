#!/usr/bin/env bash
# Installs what is missing, builds the game and takes the README's picture of it
# (scripts/captura.py, on the test harness): the game on a private Xvfb of 1024x768, the person's
# move to C5, the computer's reply and the cursor moved on, the screen written to
# datos/captura.png (or to the path given). The X server and the game are always stopped.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" captura
"$raiz/scripts/compilar.sh" -DVOLTARO_TESTS=OFF >/dev/null
exec /usr/bin/python3 "$raiz/scripts/captura.py" "$raiz/build/voltaro" "$@"
