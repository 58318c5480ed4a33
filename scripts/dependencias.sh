#!/usr/bin/env bash
# `dependencias.sh TASK` installs the Debian packages that TASK needs and that are missing, through
# sudo when not run as root: the game's build dependencies from debian/control, the tests' from
# tests/paquetes, and what the task itself adds (below).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
read -r -a pruebas <<<"$(sed 's/#.*//' "$raiz/tests/paquetes" | tr '\n' ' ')"

# perfiles: the build profiles under which debian/control's Build-Depends are installed; - for none.
perfiles=nocheck
tarea=${1:-jugar}
case "$tarea" in
jugar) paquetes=(libgl1-mesa-dri) ;;
# The test command: the tests, the maintainers' checkers, and what the release's test uses
# (git and xz for the tarball, dpkg-parsechangelog, uscan).
probar)
    perfiles=
    paquetes=("${pruebas[@]}" clang-format clang-tidy cppcheck shellcheck git xz-utils dpkg-dev
              devscripts)
    ;;
lanzamiento) perfiles='' paquetes=("${pruebas[@]}") ;;
medir) paquetes=(libbenchmark-dev) ;;
# What drives the real game through the harness: the whole program measured, the screenshot, the
# first-picture stress run under GNOME's window manager.
medir_programa) paquetes=("${pruebas[@]}" libbenchmark-dev) ;;
captura) paquetes=("${pruebas[@]}") ;;
estres) paquetes=("${pruebas[@]}" mutter dbus-daemon) ;;
paquete) perfiles=${DEB_BUILD_PROFILES:-} paquetes=(dpkg-dev git xz-utils) ;;
fuente) perfiles=- paquetes=(dpkg-dev git xz-utils) ;;
# scripts/debian.sh: fresh systems from the archive (mmdebstrap, uidmap for the unshare modes)
# and Debian's tools on the source package.
debian)
    perfiles=-
    paquetes=(mmdebstrap uidmap debian-archive-keyring git xz-utils dpkg-dev sbuild autopkgtest
              piuparts reprotest disorderfs faketime locales-all diffoscope-minimal)
    ;;
# Other architectures' programs under qemu's user-mode emulation: the static qemu, registered with
# the F flag so that it runs inside chroots too, and arch-test, which mmdebstrap asks.
emulacion) perfiles=- paquetes=(qemu-user-static binfmt-support arch-test) ;;
*)
    echo "usage: dependencias.sh jugar|probar|lanzamiento|medir|medir_programa|captura|estres|paquete|fuente|debian|emulacion" >&2
    exit 2
    ;;
esac

# sbuild's and autopkgtest's unshare modes map a user namespace's ids from root's subordinate
# ranges, which a fresh machine lacks.
if [ "$tarea" = debian ]; then
    sin_ids=()
    for f in /etc/subuid /etc/subgid; do grep -qs '^root:' "$f" || sin_ids+=("$f"); done
    if [ ${#sin_ids[@]} -gt 0 ]; then
        echo "root:100000:65536" | "${sudo[@]}" tee -a "${sin_ids[@]}" >/dev/null
        echo "Added root's subordinate ids for the unshare modes to ${sin_ids[*]}"
    fi
fi

# apt-get, non-interactive through sudo's clean environment, waiting for another apt's lock, and
# quiet: what it and the packages' scripts say is shown only when it fails.
apt() {
    local dicho
    dicho=$(mktemp)
    if ! "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -qq \
        "$@" >"$dicho" 2>&1; then
        cat "$dicho" >&2
        rm -f "$dicho"
        exit 1
    fi
    rm -f "$dicho"
}

faltan=()
for p in "${paquetes[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || faltan+=("$p")
done
if [ ${#faltan[@]} -gt 0 ]; then
    echo "Installing: ${faltan[*]}"
    apt update
    apt install -y --no-install-recommends "${faltan[@]}"
fi

# debian/control's Build-Depends (build-essential comes with them). apt reads the file as its own
# unprivileged user, who cannot read a clone in root's home: it is given a copy it can read.
if [ "$perfiles" != - ] && ! (cd "$raiz" && dpkg-checkbuilddeps -P "${perfiles// /,}" 2>/dev/null); then
    echo "Installing the build dependencies that debian/control names"
    legible=$(mktemp -d)
    trap 'rm -rf "$legible"' EXIT
    mkdir "$legible/debian"
    cp "$raiz/debian/control" "$legible/debian/"
    chmod -R a+rX "$legible"
    apt update
    apt build-dep -y --no-install-recommends -P "${perfiles// /,}" "$legible"
fi
