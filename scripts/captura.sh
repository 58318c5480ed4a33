#!/usr/bin/env bash
# Installs what is missing, builds the game and takes the README's picture of it with
# scripts/captura.py, which says how.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" captura
"$raiz/scripts/compilar.sh" -DVOLTARO_TESTS=OFF >/dev/null
PYTHONPATH="$raiz/tests" exec /usr/bin/python3 "$raiz/scripts/captura.py" \
    "$raiz/build/voltaro" "$@"
