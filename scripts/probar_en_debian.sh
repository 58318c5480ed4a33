#!/usr/bin/env bash
# Proves the README's two commands on a fresh minimal Debian of one release:
#
#   probar_en_debian.sh RELEASE      (bookworm or trixie; as root)
#
# mmdebstrap builds the system from Debian's archive with git and ca-certificates only. Its hooks
# clone the current commit into it (uncommitted changes are left out) and run there, as a newcomer
# would, the play command with no display, which must print its one line on stderr and end with
# status 1, and once more, when it must print nothing else; then the test command, which must pass.
# Each step prints its time; the last line says PASSED (status 0) or FAILED (status 1).
#
# The system lives in a temporary directory that mmdebstrap removes at the end (the output
# /dev/null), and in its unshare mode in mount and PID namespaces of its own: whatever a step
# mounted or left running ends with it, Ctrl-C and TERM included.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
yo=$(basename "$0")

# Runs a command line in the system at $sistema, in /root, as root with the bare environment of a
# fresh login and no display.
en_sistema() {
    chroot "$sistema" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd /root && $1" </dev/null
}

# Adds a line to the run's report and prints it.
informa() {
    echo "   $1" >>"$VOLTARO_INFORME"
    echo "== $VOLTARO_VERSION: $1"
}

clona() {
    en_sistema 'git -c advice.detachedHead=false clone -q /tmp/voltaro.bundle voltaro'
}

# The play command, run twice: no display, so it ends with status 1 and its one line on stderr,
# and the second time, with nothing left to install or build, that line is all it prints.
juega() {
    local estado salida=$sistema/tmp/jugar.out errores=$sistema/tmp/jugar.err
    for _ in 1 2; do
        estado=0
        en_sistema 'cd voltaro && bash scripts/jugar.sh' >"$salida" 2>"$errores" || estado=$?
        cat "$salida" "$errores"
        if [ "$estado" -ne 1 ] || ! tail -n 1 "$errores" | grep -q '^voltaro: no display'; then
            echo "$yo: the play command ended with status $estado, not 1 after its line" >&2
            return 1
        fi
    done
    if [ -s "$salida" ] || [ "$(wc -l <"$errores")" -ne 1 ]; then
        echo "$yo: run again, the play command printed more than its one line" >&2
        return 1
    fi
}

prueba() {
    en_sistema 'cd voltaro && bash scripts/probar.sh'
}

# One step, run by one of mmdebstrap's hooks inside the system's namespaces:
# `--paso FUNCTION TITLE ROOT` runs FUNCTION on the system at ROOT and reports it with its time.
if [ "${1:-}" = --paso ]; then
    sistema=$4
    inicio=$SECONDS
    [ -s "$VOLTARO_INFORME" ] ||
        informa "fresh minimal system (mmdebstrap): done, $(($(date +%s) - VOLTARO_INICIO)) s"
    echo "== $VOLTARO_VERSION: $3"
    if "$2"; then resultado=passed; else resultado=FAILED; fi
    informa "$3: $resultado, $((SECONDS - inicio)) s"
    [ "$resultado" = passed ]
    exit
fi

version=${1:-}
if [ $# -ne 1 ] || { [ "$version" != bookworm ] && [ "$version" != trixie ]; }; then
    echo "usage: $yo RELEASE   (bookworm or trixie)" >&2
    exit 64
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "$yo: runs as root (mmdebstrap's unshare mode); run it with sudo" >&2
    exit 1
fi
"$raiz/scripts/dependencias.sh" debian

# The bundle of the current commit and the run's report; the system itself is mmdebstrap's.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
git -C "$raiz" bundle create -q "$tmp/voltaro.bundle" HEAD
echo "== $yo: $version, commit $(git -C "$raiz" log -1 --format='%h %s')"
if [ -n "$(git -C "$raiz" status --porcelain)" ]; then
    echo "$yo: uncommitted changes in $raiz are left out" >&2
fi
export VOLTARO_VERSION=$version VOLTARO_INFORME=$tmp/informe VOLTARO_INICIO
paso() { printf "%q --paso %s %q \"\$1\"" "$raiz/scripts/$yo" "$1" "$2"; }

# mmdebstrap runs in a process group of its own, to which a Ctrl-C or TERM is passed: the steps'
# processes end, and mmdebstrap, which waits for them, tears the system down and removes it.
interrumpido=
interrumpe() {
    interrumpido=1
    echo "$yo: interrupted: stopping the steps; mmdebstrap removes the system" >&2
    kill -TERM -- "-$mmdebstrap" 2>/dev/null || true
}
trap interrumpe INT TERM
inicio=$SECONDS
for intento in 1 2 3; do
    : >"$VOLTARO_INFORME"
    VOLTARO_INICIO=$(date +%s)
    # apt retries a failed download itself, in the system's build and in its steps.
    setsid mmdebstrap --mode=unshare --variant=minbase --include=git,ca-certificates \
        --aptopt='Acquire::Retries "3"' \
        --customize-hook="copy-in $(printf %q "$tmp/voltaro.bundle") /tmp" \
        --customize-hook="$(paso clona 'clone of the current commit')" \
        --customize-hook="$(paso juega 'play command with no display (bash scripts/jugar.sh)')" \
        --customize-hook="$(paso prueba 'test command (bash scripts/probar.sh)')" \
        "$version" /dev/null "deb http://deb.debian.org/debian $version main" \
        "deb http://deb.debian.org/debian $version-updates main" \
        "deb http://deb.debian.org/debian-security $version-security main" &
    mmdebstrap=$!
    estado=0
    wait "$mmdebstrap" || estado=$?
    # A signal ends the wait at once; mmdebstrap is then still stopping and removing the system.
    while kill -0 "$mmdebstrap" 2>/dev/null; do
        estado=0
        wait "$mmdebstrap" || estado=$?
    done
    # A run that failed before its first step could not build the system: the archive, most
    # likely, out of reach for a while.
    if [ "$estado" -eq 0 ] || [ -s "$VOLTARO_INFORME" ] || [ -n "$interrumpido" ] ||
        [ "$intento" -eq 3 ]; then
        break
    fi
    echo "$yo: the system could not be built (attempt $intento of 3); trying again in 30 s" >&2
    sleep 30
done

echo
cat "$VOLTARO_INFORME"
# mmdebstrap removed the system after the last step reported.
[ ! -s "$VOLTARO_INFORME" ] ||
    echo "   removal of the system (mmdebstrap): done, $(($(date +%s) - $(stat -c %Y "$VOLTARO_INFORME"))) s"
veredicto=PASSED
[ "$estado" -eq 0 ] && [ -z "$interrumpido" ] || veredicto=FAILED
echo "== $yo $version: $veredicto (total $((SECONDS - inicio)) s)"
[ "$veredicto" = PASSED ]
