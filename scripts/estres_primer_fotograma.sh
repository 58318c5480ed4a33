#!/usr/bin/env bash
# The first-picture stress run (not part of the test suite): installs what it needs and runs
# scripts/estres_primer_fotograma.py, which says what it does, with the same options:
#
#   scripts/estres_primer_fotograma.sh [-n STARTS] [-e desnudo|mutter|ambos] [-b BINARY]
#                                      [-c BUSY_LOOPS] [-o FOLDER]
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" estres
exec /usr/bin/python3 "$raiz/scripts/estres_primer_fotograma.py" "$@"
