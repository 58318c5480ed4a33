#!/usr/bin/env bash
# Installs what is missing, builds the game and takes the README's picture of it: the game on a
# private Xvfb of 1024x768, the person's move to C5, the computer's reply and the cursor moved on,
# the screen written to datos/captura.png (or to the path given). The X server and the game are
# always stopped.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
destino=${1:-$raiz/datos/captura.png}
"$raiz/scripts/dependencias.sh" captura
"$raiz/scripts/compilar.sh" -DVOLTARO_TESTS=OFF >/dev/null

. "$raiz/scripts/xvfb.sh"
tmp=$(mktemp -d)
juego=
trap '[ -n "$juego" ] && kill "$juego" 2>/dev/null; para_xvfb; rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM
arranca_xvfb "$tmp" 1024x768

"$raiz/build/voltaro" >"$tmp/transcripcion" 2>"$tmp/errores" &
juego=$!
# The game's own connection first: Xvfb may turn away a connection made at the same moment as
# another, and the search below connects every tenth of a second.
sleep 0.5
ventana=
for _ in $(seq 100); do
    if ! kill -0 "$juego" 2>/dev/null; then
        echo "captura.sh: the game ended before its window appeared:" >&2
        cat "$tmp/errores" >&2
        exit 1
    fi
    ventana=$(xdotool search --onlyvisible --pid "$juego" || true)
    [ -n "$ventana" ] && break
    sleep 0.1
done
if [ -z "$ventana" ]; then
    echo "captura.sh: the game's window did not appear within ten seconds" >&2
    exit 1
fi
xdotool windowfocus --sync "$ventana"

# Waits, at most ten seconds, until `$1` (a fixed string) is on `$2` lines of the transcript.
espera_transcripcion() {
    for _ in $(seq 200); do
        [ "$(grep -cF -- "$1" "$tmp/transcripcion" || true)" -ge "$2" ] && return 0
        sleep 0.05
    done
    echo "captura.sh: the game did not play the keys typed (\"$1\" not on $2 lines)" >&2
    exit 1
}
# Down twice and Right four times take the cursor from A1 to C5, a legal first move.
# Each move's line says "en la pos...".
xdotool key --delay 50 Down Down Right Right Right Right space
espera_transcripcion "en la pos" 1
xdotool key space
espera_transcripcion "en la pos" 2
xdotool key Down
# The arrow's frame has no line in the transcript: a moment for it to be drawn.
sleep 0.5
xwd -root -silent | xwdtopnm -quiet | pnmtopng -compression 9 >"$tmp/captura.png"
xdotool key Escape
wait "$juego" || true
juego=
mv "$tmp/captura.png" "$destino"
echo "$destino"
