#!/usr/bin/env bash
# The first-picture stress run (not part of the test suite). Starts the game N times on a private
# bare Xvfb of 1280x960 (no window manager) and N times on another one under GNOME's window
# manager (mutter as an X11 window manager and compositor, in a D-Bus session of its own), while
# the machine is kept busy by busy loops and a disk writer. After each start it takes the first
# settled picture of the game's window (once the window has the size of the screen and something
# drawn: two identical captures in a row of the window's own contents, the game idle between
# them) and compares it with the right frame for that size, then ends the game with ESC. It prints
# how many first pictures were wrong in each environment and keeps them, as PNG, in the output
# folder.
#
#   scripts/estres_primer_fotograma.sh [-n STARTS] [-e desnudo|mutter|ambos] [-b BINARY]
#                                      [-c BUSY_LOOPS] [-o FOLDER]
#
#   -n  starts in each environment (200)
#   -e  bare X only (desnudo), mutter only, or both (ambos, the default)
#   -b  the game binary to start (default: build/voltaro, built first)
#   -c  busy loops, one process each (2); a disk writer runs beside them
#   -o  folder for the pictures (default: a new one under /tmp, removed when nothing was wrong)
#
# The right frame for the size is the game's own picture after one ordinary key ("a", which only
# redraws), taken before the load starts. Exit status: 0 when no first picture was wrong and every
# start went as it should, 1 otherwise. Everything it starts (X servers, mutter, the game, the
# load) is stopped on the way out, Ctrl-C included.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)

TAMANO=1280x960 # the screen's
veces=200
entornos=ambos
binario=
bucles=2
salida=
uso() {
    echo "usage: $0 [-n STARTS] [-e desnudo|mutter|ambos] [-b BINARY] [-c BUSY_LOOPS]" \
        "[-o FOLDER]" >&2
    exit 2
}
while getopts 'n:e:b:c:o:h' opcion; do
    case $opcion in
        n) veces=$OPTARG ;;
        e) entornos=$OPTARG ;;
        b) binario=$OPTARG ;;
        c) bucles=$OPTARG ;;
        o) salida=$OPTARG ;;
        *) uso ;;
    esac
done
[ $# -ge "$OPTIND" ] && uso
case $veces$bucles in *[!0-9]*) uso ;; esac
case $entornos in
    desnudo | mutter) ;;
    ambos) entornos="desnudo mutter" ;;
    *) uso ;;
esac

"$raiz/scripts/dependencias.sh" estres
if [ -z "$binario" ]; then
    "$raiz/scripts/compilar.sh" -DVOLTARO_TESTS=OFF >/dev/null
    binario=$raiz/build/voltaro
fi
[ -x "$binario" ] || { echo "estres: $binario is not an executable" >&2; exit 2; }

# shellcheck source=scripts/xvfb.sh
. "$raiz/scripts/xvfb.sh"
tmp=$(mktemp -d)
propia_salida=
if [ -z "$salida" ]; then
    salida=$(mktemp -d /tmp/voltaro-estres.XXXXXX)
    propia_salida=1
fi
mkdir -p "$salida"

juego=      # the running game
mutter=     # process group of dbus-run-session and mutter
carga=()    # process groups of the load
# True while process $1 is there and has not ended (a zombie has).
vivo() {
    local estado
    estado=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    estado=${estado##*) }
    [ -n "$estado" ] && [ "${estado%% *}" != Z ]
}
# Each helper runs in a process group of its own (setsid: its process id is the group's), so that
# stopping it stops whatever it started too (dd, dbus-daemon). The group is asked to end, given
# five seconds for its first process to, then killed; that process, a child of this script, is
# then reaped.
para_grupo() {
    kill -TERM -- "-$1" 2>/dev/null || true
    for _ in $(seq 50); do
        vivo "$1" || break
        sleep 0.1
    done
    kill -KILL -- "-$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
para_juego() {
    if [ -n "$juego" ]; then
        kill -KILL "$juego" 2>/dev/null || true
        wait "$juego" 2>/dev/null || true
        juego=
    fi
}
para_carga() {
    local grupo
    for grupo in "${carga[@]}"; do
        para_grupo "$grupo"
    done
    carga=()
    rm -f "$tmp/carga"
}
para_entorno() {
    para_juego
    if [ -n "$mutter" ]; then
        para_grupo "$mutter"
        mutter=
    fi
    para_xvfb
    xvfb_pid=
}
limpia() {
    para_carga
    para_entorno
    rm -rf "$tmp"
}
trap limpia EXIT
trap 'echo "estres: interrupted" >&2; exit 130' INT
trap 'exit 143' TERM

arranca_carga() {
    local _i
    for _i in $(seq "$bucles"); do
        setsid bash -c 'while :; do :; done' &
        carga+=("$!")
    done
    # shellcheck disable=SC2016 # expanded by the inner shell
    setsid bash -c 'while :; do
                        dd if=/dev/zero of="$1" bs=1M count=256 conv=fsync status=none
                    done' _ "$tmp/carga" &
    carga+=("$!")
}

# The game's window, its own contents as the game drew them, into file $1 (xwd's format: its width
# at byte 16, its height at byte 20). Under mutter that is the window's picture before the
# compositor paints it, so a window caught halfway through an animation, or a desktop not yet
# repainted, is not taken for the game's.
captura() {
    timeout 20 xwd -id "$ventana" -silent >"$1" 2>/dev/null
}
# The 32-bit big-endian number at byte $2 of file $1.
numero_en() {
    od -An -tu1 -j"$2" -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'
}
# True when the picture in $1 is of the whole screen's size and has something drawn, a pixel that
# is not black. The pixels follow xwd's header (its size at byte 0) and colour map (12 bytes a
# colour, their number at byte 76).
dibujada() {
    local inicio
    [ -s "$1" ] && [ "$(numero_en "$1" 16)x$(numero_en "$1" 20)" = "$TAMANO" ] || return 1
    inicio=$(($(numero_en "$1" 0) + $(numero_en "$1" 76) * 12 + 1))
    [ -n "$(tail -c +"$inicio" "$1" | tr -d '\000' | head -c 1)" ]
}
# The state of the game's main thread (S while it waits) and how many times it has waited (its
# voluntary context switches: one at least for each wait for an X event or reply).
espera_del_juego() {
    local estado
    estado=$(cat "/proc/$juego/stat" 2>/dev/null) || return 0
    estado=${estado##*) }
    echo "${estado%% *} $(awk '/^voluntary_ctxt_switches:/ { print $2 }' "/proc/$juego/status")"
}
# Waits for the first settled picture and leaves it in file $1: the window at the size of the
# screen with something drawn, two captures in a row that agree, and the game idle in between (its
# main thread waiting all along without waking once), so that the picture is the one the game has
# left in its window, not one it is about to replace. Fails after 30 seconds, or when the game has
# ended.
asentada() {
    local anterior=$tmp/anterior.xwd limite=$((SECONDS + 30)) antes despues espera_anterior=
    rm -f "$anterior"
    while [ "$SECONDS" -lt "$limite" ] && vivo "$juego"; do
        antes=$(espera_del_juego)
        captura "$1"
        despues=$(espera_del_juego)
        if dibujada "$1" && [ "${antes%% *}" = S ] && [ "$antes" = "$despues" ]; then
            if [ -f "$anterior" ] && [ "$despues" = "$espera_anterior" ] &&
                cmp -s "$1" "$anterior"; then
                return 0
            fi
            cp "$1" "$anterior"
            espera_anterior=$despues
        else
            rm -f "$anterior"
        fi
        sleep 0.05
    done
    return 1
}
como_png() {
    xwdtopnm -quiet "$1" | pnmtopng -compression 9 >"$2"
}

# Starts the game and waits for its window, which it leaves in $ventana. A start that Xvfb turns
# away (freeglut's "failed to open display" and nothing else) is started again, up to three times.
# Fails when the game ends before its window shows or the window takes over 30 seconds.
arranca_juego() {
    local intento _i
    ventana=
    for intento in 1 2 3 4; do
        "$binario" >/dev/null 2>"$tmp/errores" &
        juego=$!
        for _i in $(seq 300); do
            if ! vivo "$juego"; then
                break
            fi
            # The game's own connection first: xdotool's would make Xvfb refuse it now and then.
            if [ -n "$(find "/proc/$juego/fd" -lname 'socket:*' 2>/dev/null | head -n 1)" ]; then
                ventana=$(timeout 10 xdotool search --onlyvisible --pid "$juego" 2>/dev/null |
                    head -n 1 || true)
                [ -n "$ventana" ] && return 0
            fi
            sleep 0.1
        done
        if vivo "$juego"; then
            echo "estres: the game's window did not show within 30 s" >&2
            return 1
        fi
        wait "$juego" || true
        juego=
        if ! grep -q 'failed to open display' "$tmp/errores" || [ "$intento" = 4 ]; then
            echo "estres: the game ended before its window showed:" >&2
            cat "$tmp/errores" >&2
            return 1
        fi
        rechazados=$((rechazados + 1))
    done
}
# Ends the running game with ESC; fails unless it exits with status 0 within ten seconds.
termina_juego() {
    local estado=0 _i
    timeout 10 xdotool windowfocus --sync "$ventana" 2>/dev/null || true
    timeout 10 xdotool key Escape 2>/dev/null || true
    for _i in $(seq 100); do
        vivo "$juego" || break
        sleep 0.1
    done
    if vivo "$juego"; then
        para_juego
        echo "estres: the game did not end on ESC within 10 s" >&2
        return 1
    fi
    wait "$juego" || estado=$?
    juego=
    if [ "$estado" != 0 ]; then
        echo "estres: the game ended with status $estado on ESC" >&2
        return 1
    fi
}

# True once a window manager runs on the display (EWMH's _NET_SUPPORTING_WM_CHECK names a window).
gestor_listo() {
    [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *'window id #'* ]]
}
arranca_entorno() {
    mkdir -p "$tmp/$1"
    arranca_xvfb "$tmp/$1" "$TAMANO"
    if [ "$1" = mutter ]; then
        setsid dbus-run-session -- mutter --x11 --replace >"$tmp/mutter.log" 2>&1 &
        mutter=$!
        for _ in $(seq 300); do
            gestor_listo && break
            vivo "$mutter" || break
            sleep 0.1
        done
        if ! gestor_listo; then
            echo "estres: mutter did not start:" >&2
            cat "$tmp/mutter.log" >&2
            exit 1
        fi
        sleep 1
    fi
}
# The right frame for the size: the game's picture after a key that only redraws, on the idle
# machine.
toma_referencia() {
    arranca_juego || exit 1
    if ! asentada "$tmp/primera.xwd"; then
        echo "estres: no settled picture for the reference" >&2
        exit 1
    fi
    timeout 10 xdotool windowfocus --sync "$ventana" 2>/dev/null || true
    timeout 10 xdotool key a
    sleep 1
    if ! asentada "$referencia"; then
        echo "estres: no settled picture for the reference" >&2
        exit 1
    fi
    termina_juego || exit 1
    como_png "$referencia" "$salida/$entorno-referencia.png"
}

nombre_de() {
    if [ "$1" = mutter ]; then echo "under mutter"; else echo "on bare X"; fi
}

fallos_totales=0
resumen=()
for entorno in $entornos; do
    arranca_entorno "$entorno"
    referencia=$tmp/$entorno/referencia.xwd
    rechazados=0
    toma_referencia
    arranca_carga
    mal=0
    sin_asentar=0
    errores=0
    echo "$(nombre_de "$entorno"): $veces starts of $binario, $bucles busy loops and a disk writer"
    for vez in $(seq "$veces"); do
        if ! arranca_juego; then
            errores=$((errores + 1))
            para_juego
            continue
        fi
        if asentada "$tmp/primera.xwd"; then
            if ! cmp -s "$tmp/primera.xwd" "$referencia"; then
                mal=$((mal + 1))
                como_png "$tmp/primera.xwd" "$salida/$entorno-$vez.png"
                echo "  start $vez: wrong first picture, $salida/$entorno-$vez.png"
            fi
        else
            sin_asentar=$((sin_asentar + 1))
            if [ -s "$tmp/primera.xwd" ]; then
                como_png "$tmp/primera.xwd" "$salida/$entorno-$vez-sin-asentar.png"
            fi
            echo "  start $vez: no settled picture within 30 s, the last one in" \
                "$salida/$entorno-$vez-sin-asentar.png"
        fi
        if [ -n "$juego" ] && ! termina_juego; then
            errores=$((errores + 1))
        fi
        if [ $((vez % 20)) = 0 ]; then
            echo "  $vez starts, $mal wrong first pictures"
        fi
    done
    para_carga
    para_entorno
    linea="$(nombre_de "$entorno"): $mal wrong first pictures in $veces starts"
    [ "$sin_asentar" = 0 ] || linea+=", $sin_asentar with no settled picture"
    [ "$errores" = 0 ] || linea+=", $errores that failed to start or to end on ESC"
    [ "$rechazados" = 0 ] || linea+=" ($rechazados refused by the X server and started again)"
    resumen+=("$linea")
    fallos_totales=$((fallos_totales + mal + sin_asentar + errores))
done

echo
printf '%s\n' "${resumen[@]}"
if [ "$fallos_totales" = 0 ] && [ -n "$propia_salida" ]; then
    rm -rf "$salida"
else
    echo "pictures in $salida"
fi
[ "$fallos_totales" = 0 ]
