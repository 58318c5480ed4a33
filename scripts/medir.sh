#!/usr/bin/env bash
# The rules benchmarks, ten repetitions each; arguments go to Google Benchmark (e.g.
# --benchmark_filter=Turno). bench/README.md explains them.
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
