#!/usr/bin/env bash
# Proves the README's commands on a fresh minimal Debian of one release (bookworm, trixie): builds
# it from Debian's archive (mmdebstrap) in a temporary directory, with git and ca-certificates
# only, clones the repository's current commit into it (HEAD: uncommitted changes are not
# included) and runs there what a newcomer runs:
#
#   probar_en_debian.sh RELEASE                      the play command with no display (one line
#                                                    on stderr, status 1) and the test command
#                                                    (must pass)
#   probar_en_debian.sh RELEASE --paquete DIR        the package command; the .deb it makes is
#                                                    copied into DIR
#   probar_en_debian.sh RELEASE --instala FILE.deb   `apt-get install ./FILE.deb`, then the
#                                                    installed game opens its window on a private
#                                                    Xvfb and ends with status 0 on ESC
#
# Exit status: 0 when everything passed, 1 when a step failed, 2 when apt refused the package of
# --instala for unmet dependencies, 64 for a wrong command line. Runs as root (mmdebstrap, chroot,
# mounts). Whatever happens, Ctrl-C included, every process left in the system is killed, every
# mount in it undone and the system removed.
# shellcheck disable=SC2317  # the clean-up functions run from the EXIT trap
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
yo=$(basename "$0")

uso() {
    echo "usage: $yo RELEASE [--paquete DIR | --instala FILE.deb]   (RELEASE: bookworm or trixie)" >&2
    exit 64
}
[ $# -ge 1 ] || uso
version=$1
case "$version" in
    bookworm | trixie) ;;
    *) uso ;;
esac
modo=probar
argumento=
case "${2:-}" in
    "") [ $# -eq 1 ] || uso ;;
    --paquete | --instala)
        [ $# -eq 3 ] || uso
        modo=${2#--}
        argumento=$3
        ;;
    *) uso ;;
esac
if [ "$modo" = instala ] && { [ ! -f "$argumento" ] || [[ "$argumento" != *.deb ]]; }; then
    echo "$yo: $argumento is not a .deb file" >&2
    exit 64
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "$yo: runs as root (it builds a Debian system with mmdebstrap, chroots into it and mounts /proc, /sys and /dev there); run it with sudo" >&2
    exit 1
fi

"$raiz/scripts/dependencias.sh" debian

ARCHIVO=http://deb.debian.org/debian
SEGURIDAD=http://deb.debian.org/debian-security
INTENTOS=4 # attempts at what reaches the archive before giving up
PAUSA=20   # seconds between two attempts

tmp=$(mktemp -d "${TMPDIR:-/tmp}/voltaro-$version.XXXXXX")
chmod 755 "$tmp" # apt's downloads into the system run as its user _apt
sistema=$tmp/raiz
inicio_total=$SECONDS

# --- The system: its processes, its mounts, its removal -------------------------------------

# The processes whose root directory is the system or lies inside it, one pid a line.
procesos_dentro() {
    local p r
    for p in /proc/[0-9]*; do
        r=$(readlink "$p/root" 2>/dev/null) || continue
        if [ "$r" = "$sistema" ] || [[ "$r" == "$sistema/"* ]]; then
            echo "${p#/proc/}"
        fi
    done
}

# Kills every process inside the system: TERM, then KILL for what is still there after 5 s.
mata_procesos() {
    local senal vez pids
    for senal in TERM KILL; do
        for vez in $(seq 50); do
            pids=$(procesos_dentro)
            [ -n "$pids" ] || return 0
            # shellcheck disable=SC2086
            [ "$vez" -eq 1 ] && kill -"$senal" $pids 2>/dev/null
            sleep 0.1
        done
    done
}

# The mount points under the temporary directory, deepest first.
montajes() {
    awk -v d="$tmp/" 'index($5, d) == 1 { print $5 }' /proc/self/mountinfo | sort -r
}

monta() {
    mount -t proc proc "$sistema/proc"
    mount -t sysfs sysfs "$sistema/sys"
    # The machine's devices (null, urandom, tty) and its pseudo-terminals; a shared-memory
    # filesystem of the system's own, for Xvfb and Mesa.
    mount --bind /dev "$sistema/dev"
    mount --bind /dev/pts "$sistema/dev/pts"
    mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$sistema/dev/shm"
}

desmonta() {
    local m
    for m in $(montajes); do
        umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
    done
}

# Kills, unmounts and removes the system. The removal stays on the temporary directory's own
# filesystem and is not attempted while anything is still mounted under it: a bound /dev must
# never be emptied.
limpia() {
    mata_procesos
    desmonta
    if [ -n "$(montajes)" ]; then
        echo "$yo: still mounted, $tmp left in place:" >&2
        montajes >&2
        return 1
    fi
    [ ! -e "$tmp" ] || rm -rf --one-file-system "$tmp"
}

# The command being waited for (mmdebstrap, or a command inside the system).
hijo=

# Runs a command in the background and waits for it, so that a TERM or INT reaches the traps at
# once and not only when a long step ends (a command in the background ignores the terminal's
# Ctrl-C; the trap stops it).
espera() {
    "$@" &
    hijo=$!
    local estado=0
    wait "$hijo" || estado=$?
    hijo=
    return "$estado"
}

al_salir() {
    local estado=$?
    trap - EXIT INT TERM
    # mmdebstrap, told to stop, first finishes the step it is in and then undoes its own mounts.
    if [ -n "$hijo" ] && kill -TERM "$hijo" 2>/dev/null; then
        wait "$hijo" 2>/dev/null || true
    fi
    limpia || estado=1
    exit "$estado"
}
interrumpido() {
    echo "$yo: interrupted: stopping what still runs and removing the system" >&2
    exit "$1"
}
trap al_salir EXIT
trap 'interrumpido 130' INT
trap 'interrumpido 143' TERM

# --- Steps ---------------------------------------------------------------------------------

# Runs a command of the host, retrying it when it fails, for what reaches the archive.
reintenta() {
    local vez
    for vez in $(seq "$INTENTOS"); do
        "$@" && return 0
        [ "$vez" -lt "$INTENTOS" ] || break
        echo "$yo: failed (attempt $vez of $INTENTOS), trying again in $PAUSA s" >&2
        sleep "$PAUSA"
    done
    return 1
}

# Runs a command as root inside the system, with the bare environment of a fresh login and no
# display.
dentro() {
    espera chroot "$sistema" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@" </dev/null
}

duracion() {
    local s=$1
    if [ "$s" -ge 60 ]; then printf '%d min %02d s' $((s / 60)) $((s % 60)); else printf '%d s' "$s"; fi
}

# The steps that passed and their times, for the closing lines.
informe=()
paso_inicio=0
empieza() {
    echo
    echo "== $version: $1"
    paso_nombre=$1
    paso_inicio=$SECONDS
}
termina() {
    local t
    t=$(duracion $((SECONDS - paso_inicio)))
    echo "== $version: $paso_nombre: $1 in $t"
    informe+=("$paso_nombre: $1, $t")
}
falla() {
    echo "$yo: $version: $*" >&2
    termina FAILED
    cierra FAILED 1
}
# Removes the system, then prints every step with its time and the verdict, the last line.
cierra() {
    local veredicto=$1 estado=$2 inicio=$SECONDS linea
    echo
    if limpia; then
        informe+=("removal of the system: done, $(duracion $((SECONDS - inicio)))")
    else
        informe+=("removal of the system: FAILED")
        veredicto=FAILED
        estado=1
    fi
    for linea in "${informe[@]}"; do echo "   $linea"; done
    echo "== $yo $version${argumento:+ --$modo $argumento}: $veredicto (total $(duracion $((SECONDS - inicio_total))))"
    exit "$estado"
}

# No process of a step may outlive it (an X server, a game): those found are named and killed.
sin_restos() {
    local pid pids
    pids=$(procesos_dentro)
    [ -z "$pids" ] && return 0
    echo "$yo: left running in the system after $paso_nombre:" >&2
    for pid in $pids; do
        echo "  $pid $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" >&2
    done
    mata_procesos
    return 1
}

crea_sistema() {
    desmonta
    rm -rf --one-file-system "$sistema"
    # apt retries a transient failure of the archive itself, also in the system afterwards.
    espera mmdebstrap --variant=minbase --include=git,ca-certificates \
        --aptopt='Acquire::Retries "3"' "$version" "$sistema" \
        "deb $ARCHIVO $version main" "deb $ARCHIVO $version-updates main" \
        "deb $SEGURIDAD $version-security main"
}

# --- The run -------------------------------------------------------------------------------

echo "== $yo: $version in $tmp"
empieza "fresh minimal system (mmdebstrap)"
reintenta crea_sistema || falla "could not build the system from $ARCHIVO"
monta
termina "done"

if [ "$modo" != instala ]; then
    empieza "clone of the current commit"
    commit=$(git -C "$raiz" rev-parse HEAD)
    git -C "$raiz" bundle create "$sistema/tmp/voltaro.bundle" HEAD 2>/dev/null
    dentro git -c advice.detachedHead=false -c init.defaultBranch=main clone -q \
        /tmp/voltaro.bundle /root/voltaro || falla "git clone failed"
    rm -f "$sistema/tmp/voltaro.bundle"
    dentro git -C /root/voltaro checkout -q "$commit" || falla "git checkout $commit failed"
    echo "commit $(git -C "$raiz" log -1 --format='%h %s' "$commit")"
    if [ -n "$(git -C "$raiz" status --porcelain)" ]; then
        echo "$yo: uncommitted changes in $raiz are not part of this run" >&2
    fi
    termina "done"
fi

# As a newcomer: from the clone, the play command with no display must set everything up, build
# the game and end with its one line on stderr and status 1. A second run, with nothing left to
# install or build, must print that line and nothing else.
juega() {
    local estado=0 vez
    for vez in primera segunda; do
        estado=0
        dentro bash -c 'cd /root/voltaro && bash scripts/jugar.sh' >"$tmp/jugar.out" \
            2>"$tmp/jugar.err" || estado=$?
        cat "$tmp/jugar.out" "$tmp/jugar.err"
        [ "$estado" -eq 1 ] || falla "the play command ended with status $estado, not 1"
        tail -n 1 "$tmp/jugar.err" | grep -q '^voltaro: no display' ||
            falla "the play command's last line on stderr is not the game's no-display line"
        [ -x "$sistema/root/voltaro/build/voltaro" ] || falla "the play command built no game"
    done
    if [ "$(wc -l <"$tmp/jugar.err")" -ne 1 ] || [ -s "$tmp/jugar.out" ]; then
        falla "run again, the play command printed more than its one line"
    fi
}

prueba() {
    dentro bash -c 'cd /root/voltaro && bash scripts/probar.sh' ||
        falla "the test command failed"
}

empaqueta() {
    mkdir -p "$argumento"
    local estado=0
    dentro bash -c 'cd /root/voltaro && bash scripts/paquete.sh' >"$tmp/paquete.out" ||
        estado=$?
    cat "$tmp/paquete.out"
    [ "$estado" -eq 0 ] || falla "the package command failed with status $estado"
    local deb
    deb=$(tail -n 1 "$tmp/paquete.out")
    if [[ "$deb" != /*.deb ]] || [ ! -f "$sistema$deb" ]; then
        falla "the package command's last line is not the path of a .deb: $deb"
    fi
    cp "$sistema$deb" "$argumento/"
    echo "copied to $argumento/$(basename "$deb")"
}

# The window's title, what the game is found by under X.
TITULO="Davro v.1.0     Kalvendor"

instala() {
    local deb estado=0
    deb=/tmp/$(basename "$argumento")
    cp "$argumento" "$sistema$deb"
    reintenta dentro apt-get update -qq || falla "apt-get update failed"
    dentro env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb" \
        >"$tmp/apt.out" 2>&1 || estado=$?
    cat "$tmp/apt.out"
    if [ "$estado" -ne 0 ]; then
        # apt 2 (bookworm) and apt 3 (trixie) word it differently.
        if grep -qiE 'unmet dependencies|unsatisfied dependencies|unable to satisfy dependencies' \
            "$tmp/apt.out"; then
            echo "$yo: $version: apt refused $(basename "$argumento"): unmet dependencies" >&2
            termina REFUSED
            cierra "PACKAGE REFUSED BY APT (unmet dependencies)" 2
        fi
        falla "apt-get install failed with status $estado"
    fi
    termina installed

    empieza "the installed game under Xvfb, ended with ESC"
    dentro env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        xvfb xdotool >/dev/null || falla "could not install xvfb and xdotool"
    local juego
    juego=$(dentro dpkg -L voltaro | grep -E '/(bin|games)/voltaro$' | head -n 1)
    if [ -z "$juego" ] || [ ! -x "$sistema$juego" ]; then
        falla "the package installs no voltaro program"
    fi
    echo "the game: $juego"
    cp "$raiz/scripts/xvfb.sh" "$sistema/tmp/xvfb.sh"
    # Starts the game on a private Xvfb, waits up to 30 s for its window, sends ESC and waits
    # up to 10 s for its end: the game's exit status, or 1 when it died before its window came.
    cat >"$sistema/tmp/arranca.sh" <<'FIN'
set -u
. /tmp/xvfb.sh
dir=$(mktemp -d)
trap 'para_xvfb; rm -rf "$dir"' EXIT
arranca_xvfb "$dir"
"$1" >"$dir/salida" 2>"$dir/errores" &
juego=$!
ventana=
for _ in $(seq 300); do
    ventana=$(xdotool search --onlyvisible --name "^$2\$" 2>/dev/null | head -n 1)
    [ -n "$ventana" ] && break
    kill -0 "$juego" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$ventana" ]; then
    kill "$juego" 2>/dev/null
    wait "$juego"
    echo "no window came; the game ended with status $? and said:" >&2
    cat "$dir/errores" >&2
    exit 1
fi
xdotool windowfocus --sync "$ventana" key Escape
for _ in $(seq 100); do
    kill -0 "$juego" 2>/dev/null || break
    sleep 0.1
done
kill "$juego" 2>/dev/null && echo "the game was still running 10 s after ESC" >&2
wait "$juego"
estado=$?
echo "exit status after ESC: $estado"
cat "$dir/errores" >&2
exit "$estado"
FIN
    dentro bash /tmp/arranca.sh "$juego" "$TITULO" ||
        falla "the installed game did not start and end with status 0 on ESC"
}

case "$modo" in
    probar)
        empieza "play command with no display (bash scripts/jugar.sh)"
        juega
        sin_restos || falla "the play command left processes behind"
        termina passed
        empieza "test command (bash scripts/probar.sh)"
        prueba
        sin_restos || falla "the test command left processes behind"
        termina passed
        ;;
    paquete)
        empieza "package command (bash scripts/paquete.sh)"
        empaqueta
        sin_restos || falla "the package command left processes behind"
        termina passed
        ;;
    instala)
        empieza "apt-get install ./$(basename "$argumento")"
        instala
        sin_restos || falla "the installed game left processes behind"
        termina passed
        ;;
esac
cierra PASSED 0
