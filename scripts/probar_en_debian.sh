#!/usr/bin/env bash
# `probar_en_debian.sh RELEASE` (bookworm or trixie; as root) proves the README's commands on a
# fresh minimal Debian: mmdebstrap builds it from the archive with git and ca-certificates only, and
# its hooks clone the current commit (not uncommitted changes) and run there, as a newcomer would,
# the play command with no display, twice; the release tarball's own suite, as its Install section
# builds it, with no checker installed; and the test command. Each step prints its time; the
# last line says PASSED (status 0) or FAILED (status 1). The system lives in a directory that
# mmdebstrap removes (the output is /dev/null) and, in its unshare mode, in mount and PID
# namespaces of its own: whatever a step mounts or leaves running ends with it.
# shellcheck disable=SC2016  # "$1" in a hook is mmdebstrap's: the system's directory
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
yo=$(basename "$0")

# Runs a command line in the system at $sistema, as root with the bare environment of a fresh
# login and no display; en_clon, in the clone.
en_sistema() {
    chroot "$sistema" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "$1" </dev/null
}
en_clon() { en_sistema "cd /root/voltaro && $1"; }

# With no display the play command ends with status 1 after its one line on stderr, the only line
# there (what it installs the first time is said on stdout, apt's own warnings would be on
# stderr); run again, with nothing left to install or build, that line is all it prints.
juega() {
    local estado salida=$sistema/tmp/jugar.out errores=$sistema/tmp/jugar.err
    for _ in 1 2; do
        estado=0
        en_clon 'bash scripts/jugar.sh' >"$salida" 2>"$errores" || estado=$?
        cat "$salida" "$errores"
        [ "$estado" -eq 1 ] && [ "$(wc -l <"$errores")" -eq 1 ] &&
            grep -q '^voltaro: no display' "$errores" || return 1
    done
    [ ! -s "$salida" ]
}

# The release tarball of the commit (in /tmp), as the README's Install section builds it: what that
# section lists installed (the build dependencies and the tests' packages), and none of the
# maintainers' checkers; unpacked apart from the clone, every test configured, built, and the
# whole suite run by ctest on xvfb-run's X server.
lanzamiento() {
    local comprobador
    en_clon 'bash scripts/dependencias.sh lanzamiento' || return 1
    for comprobador in clang-tidy cppcheck clang-format shellcheck; do
        ! en_sistema "command -v $comprobador" || { echo "$comprobador is installed"; return 1; }
    done
    en_sistema 'cd /tmp && tar -xf voltaro-*.tar.xz && rm voltaro-*.tar.xz && cd voltaro-* &&
        cmake -S . -B build >/dev/null && cmake --build build --parallel "$(nproc)" >/dev/null &&
        { xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" ctest --test-dir build \
            --output-on-failure --parallel "$(nproc)" >../ctest.log 2>&1 || ! cat ../ctest.log; } &&
        tail -n 12 ../ctest.log'
}

# A step, run by one of mmdebstrap's hooks in the system's namespaces: `--paso TITLE ROOT COMMAND`.
# Its line, with its time, is printed and added to the report; the first also times the system.
informa() { echo "== $VOLTARO_VERSION: $1" | tee -a "$VOLTARO_INFORME"; }
if [ "${1:-}" = --paso ]; then
    titulo=$2 sistema=$3 inicio=$SECONDS resultado=passed
    shift 3
    [ -s "$VOLTARO_INFORME" ] ||
        informa "fresh minimal system and clone: done, $(($(date +%s) - VOLTARO_INICIO)) s"
    echo "== $VOLTARO_VERSION: $titulo"
    "$@" || resultado=FAILED
    informa "$titulo: $resultado, $((SECONDS - inicio)) s"
    [ "$resultado" = passed ]
    exit
fi

version=${1:-}
[[ $# -eq 1 && $version =~ ^(bookworm|trixie)$ ]] ||
    { echo "usage: $yo RELEASE   (bookworm or trixie), as root" >&2; exit 64; }
# As root, the unshare mode needs no user namespace, and the hooks write the report on the host.
[ "$(id -u)" -eq 0 ] || { echo "$yo: runs as root; run it with sudo" >&2; exit 1; }
"$raiz/scripts/dependencias.sh" debian
# The fresh systems are unpacked, used and removed in memory when /dev/shm has room for a few of
# them: on a busy disk, writing and then deleting a system's many thousand files one by one
# takes minutes.
if [ "$(df --output=avail -k /dev/shm 2>/dev/null | tail -n 1)" -gt 4000000 ] 2>/dev/null; then
    export TMPDIR=/dev/shm
fi

tmp=$(mktemp -d) # the bundle of the current commit and the report; the system is mmdebstrap's
trap 'rm -rf "$tmp"' EXIT
git -C "$raiz" bundle create -q "$tmp/voltaro.bundle" HEAD
tarball=$("$raiz/scripts/lanzamiento.sh" "$tmp" 2>/dev/null)
echo "== $yo $version: commit $(git -C "$raiz" log -1 --format='%h %s')"
[ -z "$(git -C "$raiz" status --porcelain)" ] || echo "$yo: uncommitted changes are left out" >&2
export VOLTARO_VERSION=$version VOLTARO_INFORME=$tmp/informe VOLTARO_INICIO
paso() { printf "%q --paso %q \"\$1\"" "$raiz/scripts/$yo" "$1"; shift; printf " %q" "$@"; }

# mmdebstrap runs in a process group of its own, which a Ctrl-C, TERM or HUP is passed to: the
# steps end, and mmdebstrap, which waits for them, tears the system down and removes it.
interrumpido='' mmdebstrap=''
trap 'interrumpido=1; kill -TERM -- "-$mmdebstrap" 2>/dev/null || true' INT TERM HUP
for intento in 1 2 3; do
    [ -z "$interrumpido" ] || break
    : >"$VOLTARO_INFORME"
    VOLTARO_INICIO=$(date +%s)
    # mmdebstrap's mirrors for a stable release: the release, its updates and its security
    # updates. apt retries a failed download itself, while it builds the system and in the steps.
    setsid mmdebstrap --mode=unshare --variant=minbase --include=git,ca-certificates \
        --aptopt='Acquire::Retries "3"' \
        --customize-hook="copy-in $(printf %q "$tmp/voltaro.bundle") $(printf %q "$tarball") /tmp" \
        --customize-hook='chroot "$1" git -c init.defaultBranch=main -c advice.detachedHead=false \
            clone -q /tmp/voltaro.bundle /root/voltaro' \
        --customize-hook="$(paso 'play command with no display (bash scripts/jugar.sh)' juega)" \
        --customize-hook="$(paso 'release tarball'"'"'s suite, no checkers (xvfb-run ctest)' \
            lanzamiento)" \
        --customize-hook="$(paso 'test command (bash scripts/probar.sh)' \
            en_clon 'bash scripts/probar.sh')" \
        "$version" /dev/null &
    mmdebstrap=$! estado=0
    wait "$mmdebstrap" || estado=$?
    # A signal ends the wait at once, while mmdebstrap still stops the steps and removes the system.
    while kill -0 "$mmdebstrap" 2>/dev/null; do wait "$mmdebstrap" || true; done
    # A run that fails before its first step could not build the system, the archive most likely
    # out of reach for a while: it is tried again.
    { [ "$estado" -ne 0 ] && [ ! -s "$VOLTARO_INFORME" ] && [ -z "$interrumpido" ] &&
        [ "$intento" -lt 3 ]; } || break
    echo "$yo: the system could not be built (attempt $intento of 3); trying again in 30 s" >&2
    sleep 30
done
# mmdebstrap began to clean up and remove the system when the last step reported, unless a
# signal cut that step short.
[ -n "$interrumpido" ] || [ ! -s "$VOLTARO_INFORME" ] || echo "== $version: removal of the" \
    "system: done, $(($(date +%s) - $(stat -c %Y "$VOLTARO_INFORME"))) s" >>"$VOLTARO_INFORME"
echo
cat "$VOLTARO_INFORME"
[ "$estado" -eq 0 ] && [ -z "$interrumpido" ] && veredicto=PASSED ||
    veredicto="FAILED${interrumpido:+ (interrupted)}"
echo "== $yo $version: $veredicto (total $SECONDS s)"
[ "$veredicto" = PASSED ]
