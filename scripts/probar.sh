#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs the whole test suite (unit,
# sanitizers, rendering, end-to-end, the maintainers' checkers) on a private Xvfb server, which it
# always stops.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" probar
# The tests expect the UTF-8 transcript, whatever an earlier play run chose.
"$raiz/scripts/compilar.sh" -DVOLTARO_TESTS=ON -DVOLTARO_COMPROBADORES=ON -DVOLTARO_WERROR=ON -DVOLTARO_CONSOLE_LATIN1=OFF

cd "$raiz/build"
# The tests' harness starts the server (tests/arnes/xvfb.py) and stops it when ctest ends.
PYTHONPATH="$raiz/tests" /usr/bin/python3 -m arnes.xvfb -- \
    ctest --output-on-failure --parallel "$(nproc)" "$@"
