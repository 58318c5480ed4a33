#!/usr/bin/env bash
# The whole-program benchmark: the game against baselines on a private Xvfb (the harness's, which
# runs this script's second half with --en-xvfb and always stops it). bench/README.md explains it.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
construccion="$raiz/build-medir"
bench="$construccion/bench/programa"

if [ "${1:-}" != --en-xvfb ]; then
    "$raiz/scripts/dependencias.sh" medir_programa
    cmake -S "$raiz" -B "$construccion" -DCMAKE_BUILD_TYPE=Release -DVOLTARO_BENCH=ON \
        -DVOLTARO_TESTS=OFF -DVOLTARO_WERROR=ON >/dev/null
    cmake --build "$construccion" --parallel "$(nproc)" \
        --target voltaro base_glut fotograma marca_fotogramas >/dev/null
    PYTHONPATH="$raiz/tests" exec /usr/bin/python3 -m arnes.xvfb --tamano 1920x1080 -- \
        bash "$0" --en-xvfb
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM
unset MESA_SHADER_CACHE_DISABLE

# Mesa's software renderer, and a shader cache of this run's own, empty at first: the warm-up
# start-up fills it, as a player's first game does, and the later start-ups find it full.
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
export MESA_SHADER_CACHE_DIR="$tmp/cache"
PRIMEROS=5

# Other work on the machine slows everything: the load averages say how busy it was.
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores"
echo
echo "== The game against base_glut, a bare full-screen freeglut program"
/usr/bin/python3 "$raiz/bench/programa/conductor.py" "$bench/libmarca_fotogramas.so" \
    "$construccion/voltaro" "$bench/base_glut"
echo
echo "== One frame at 1920x1080, from the call until the X server has it"
"$bench/fotograma"
echo
echo "== The first display of a process against the later ones, median of $PRIMEROS processes"
/usr/bin/python3 "$raiz/bench/programa/conductor.py" --primeros "$bench/fotograma" "$PRIMEROS"
echo

# Callgrind, twice on a cache of its own: the first run compiles every shader, the second finds
# them cached. Millions of instructions per frame, by library.
export MESA_SHADER_CACHE_DIR="$tmp/cache-perfil"
for vez in frio caliente; do
    valgrind -q --tool=callgrind --instr-atstart=no --callgrind-out-file="$tmp/$vez" \
        "$bench/fotograma" --perfil
done
# One "instructions object" line per function of a dump, its own cost only.
por_objeto() {
    callgrind_annotate --inclusive=no --threshold=100 "$1" 2>/dev/null |
        sed -nE 's/^ *([0-9,]+) \( *[0-9.]+%\) .*\[([^]]*)\]$/\1 \2/p' | tr -d ,
}
columnas=("$tmp/frio.1:1" "$tmp/caliente.1:1" "$tmp/caliente.2:3" "$tmp/caliente.4:3"
          "$tmp/caliente.3:3")
echo "== Where a frame's instructions go (Callgrind; millions per frame, and share)"
for c in "${columnas[@]}"; do
    echo "# ${c##*:}"
    por_objeto "${c%:*}"
done | awk '
function grupo(o) {
    if (o ~ /\/fotograma$/) return 1
    if (o ~ /libglut/) return 2
    if (o ~ /swrast_dri/) return 3
    if (o == "???") return 4
    if (o ~ /libLLVM/) return 5
    if (o ~ /libc\.so|libm\.so|libstdc|libgcc|ld-linux|libzstd|libz\.so/) return 6
    return 7
}
/^# / { ++col; fotogramas[col] = $2; next }
{ n = $1 / fotogramas[col]; s[col, grupo($2)] += n; total[col] += n }
END {
    split("the game (display, texts, counts)|freeglut (cube, bitmap font)|Mesa driver (state, vertices, bins, copies)|JIT code (shaders, rasteriser)|LLVM (compile, load shaders)|C libraries (memcpy, memset, zstd)|X, GL dispatch, other", nombre, "|")
    printf "%-44s %16s %16s %16s %16s %16s\n", "", "first, compiled", "first, cached", "opening", "full board", "clear+swap"
    for (g = 1; g <= 7; ++g) {
        printf "%-44s", nombre[g]
        for (c = 1; c <= col; ++c) printf " %8.3f %6.2f%%", s[c, g] / 1e6, 100 * s[c, g] / total[c]
        printf "\n"
    }
    printf "%-44s", "all"
    for (c = 1; c <= col; ++c) printf " %8.3f %7s", total[c] / 1e6, ""
    printf "\n"
}'
echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
