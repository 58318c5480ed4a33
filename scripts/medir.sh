#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in build/ and runs them: ten repetitions of
# each, reported as mean, median, standard deviation and coefficient of variation. Extra
# arguments go to the benchmark (for example --benchmark_filter=Turno).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" medir

# build/ keeps its tests when GoogleTest is there; without it they are left out, so that the
# benchmarks need nothing more than their own package.
pruebas=()
if ! dpkg-query -W -f='${Status}' libgtest-dev 2>/dev/null | grep -q 'install ok installed'; then
    pruebas=(-DVOLTARO_TESTS=OFF)
fi
cmake -S "$raiz" -B "$raiz/build" -DVOLTARO_BENCH=ON "${pruebas[@]}" >/dev/null
cmake --build "$raiz/build" --target medir_reglas --parallel "$(nproc)"
"$raiz/build/bench/medir_reglas" --benchmark_repetitions=10 --benchmark_report_aggregates_only=true "$@"
