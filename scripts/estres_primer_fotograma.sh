#!/usr/bin/env bash
# The first-picture stress run (bench/programa/estres_primer_fotograma.py, on the test harness):
# installs what it needs and runs it with the options given. bench/README.md explains it.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" estres
PYTHONPATH="$raiz/tests" exec /usr/bin/python3 \
    "$raiz/bench/programa/estres_primer_fotograma.py" "$@"
