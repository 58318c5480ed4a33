#!/usr/bin/env bash
# Configures and builds the game and its tests in build/ (extra arguments go to CMake).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$raiz" -B "$raiz/build" "$@" >/dev/null
cmake --build "$raiz/build" --parallel "$(nproc)"
