#!/usr/bin/env bash
# Installs what is missing, builds the rules benchmarks in build-medir/ and runs them: ten repetitions of
# each, reported as mean, median, standard deviation and coefficient of variation. Extra
# arguments go to the benchmark (for example --benchmark_filter=Turno).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" medir

# The benchmarks' own Release build, beside the game's build/ and shared with the whole-program
# benchmark (scripts/medir_programa.sh).
construccion="$raiz/build-medir"
cmake -S "$raiz" -B "$construccion" -DCMAKE_BUILD_TYPE=Release -DVOLTARO_BENCH=ON \
    -DVOLTARO_TESTS=OFF >/dev/null
cmake --build "$construccion" --target medir_reglas --parallel "$(nproc)"
"$construccion/bench/medir_reglas" --benchmark_repetitions=10 --benchmark_report_aggregates_only=true "$@"
