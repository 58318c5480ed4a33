#!/usr/bin/env bash
# Installs the Debian packages that a task needs and that are missing: `jugar` (build and play),
# `probar` (build and run every test), `lanzamiento` (build the release tarball and run its own
# suite: what the README's Install section lists for that, no checker), `medir` (build and run
# the benchmarks), `medir_programa` (measure the whole program), `paquete` (build the Debian
# package), `fuente` (make the release tarball and the source package only), `captura` (the
# README's screenshot), `estres` (the first-picture stress run), `debian` (build fresh Debian
# systems in the unshare modes of mmdebstrap, sbuild and autopkgtest), `herramientas_debian`
# (Debian's tools that scripts/debian.sh runs) or `emulacion` (qemu's user-mode emulation of the
# other architectures, for scripts/debian.sh's builds and testbeds for them). Uses sudo when not
# run as root.
#
# What the game's build needs is debian/control's Build-Depends, installed from there (below) for
# every task that builds; the lists here hold only what that file cannot say.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
tarea=${1:-jugar}

# Every task but the last four builds the game; the build dependencies of the build-time tests
# (the nocheck build profile's) only for the tests and the package, where DEB_BUILD_PROFILES says.
perfiles=nocheck
case "$tarea" in
probar | lanzamiento) perfiles= ;;
paquete) perfiles=${DEB_BUILD_PROFILES:-} ;;
fuente | debian | herramientas_debian | emulacion) perfiles=- ;;
esac

# The game on a display with no GL driver of its own (Xvfb, a bare X server) draws through Mesa's
# software renderer.
paquetes=(libgl1-mesa-dri)
# What drives the real game on a private X server, the tests' harness (tests/arnes): Xvfb, and
# Python with Xlib (XTest for the keys), psutil for the processes and Pillow for the pictures.
arnes=(xvfb xauth python3 python3-xlib python3-psutil python3-pil)
# The release's own suite: the harness, the rendering tests' PNG reader, pytest and Valgrind.
if [ "$tarea" = probar ] || [ "$tarea" = lanzamiento ]; then
    paquetes+=("${arnes[@]}" libpng-dev python3-pytest valgrind)
fi
# The maintainers' checkers, which the repository's test command runs too.
if [ "$tarea" = probar ]; then
    paquetes+=(clang-format cppcheck clang-tidy shellcheck)
fi
if [ "$tarea" = medir ]; then
    paquetes+=(libbenchmark-dev)
fi
# The whole program measured on a private X server through the harness, frames profiled with
# Callgrind (scripts/medir_programa.sh); configuring bench/ needs Google Benchmark too.
if [ "$tarea" = medir_programa ]; then
    paquetes+=(libbenchmark-dev valgrind "${arnes[@]}")
fi
# The README's screenshot (scripts/captura.sh), taken through the harness.
if [ "$tarea" = captura ]; then
    paquetes+=("${arnes[@]}")
fi
# The first-picture stress run (scripts/estres_primer_fotograma.sh): the game started over and
# over through the harness, bare and under GNOME's window manager (mutter as an X11 window
# manager, in a D-Bus session of its own).
if [ "$tarea" = estres ]; then
    paquetes+=(mutter dbus-daemon "${arnes[@]}")
fi
# The Debian package: dpkg-buildpackage and the release tarball's git and xz. The release's test
# makes that tarball too, reads the changelog's version and finds the release with uscan
# (devscripts) on a web server of its own.
if [ "$tarea" = paquete ] || [ "$tarea" = probar ]; then
    paquetes+=(dpkg-dev git xz-utils)
fi
if [ "$tarea" = probar ]; then
    paquetes+=(devscripts)
fi
if [ "$tarea" = fuente ]; then
    paquetes=(dpkg-dev git xz-utils)
fi

# Fresh Debian systems built from the archive, with the archive's keys, by mmdebstrap in its
# unshare mode (scripts/probar_en_debian.sh; sbuild and autopkgtest, which take its tarballs);
# uidmap maps the subordinate ids below. Nothing of the game's is needed.
if [ "$tarea" = debian ]; then
    paquetes=(mmdebstrap uidmap debian-archive-keyring git)
    # sbuild's and autopkgtest's unshare modes run as root a user namespace whose ids come from
    # root's subordinate ranges, which a fresh machine lacks; mmdebstrap as root needs none.
    sin_ids=()
    for f in /etc/subuid /etc/subgid; do grep -qs '^root:' "$f" || sin_ids+=("$f"); done
    if [ ${#sin_ids[@]} -gt 0 ]; then
        echo "root:100000:65536" | "${sudo[@]}" tee -a "${sin_ids[@]}" >/dev/null
        echo "Added root's subordinate ids for the unshare modes to ${sin_ids[*]}"
    fi
fi

# scripts/debian.sh: the source package built, checked and tested in clean systems by Debian's
# own tools.
if [ "$tarea" = herramientas_debian ]; then
    paquetes=(dpkg-dev sbuild autopkgtest piuparts reprotest disorderfs faketime locales-all
              diffoscope-minimal)
fi

# The programs of Debian's other architectures run here through qemu's user-mode emulation, which
# the kernel calls for them (binfmt_misc): the static qemu, whose interpreters binfmt-support
# registers with the F flag, so that they work inside chroots too (scripts/debian.sh cruza).
# mmdebstrap makes a system of another architecture only when arch-test says this machine runs
# its programs (scripts/debian.sh autopkgtest RELEASE ARCH).
if [ "$tarea" = emulacion ]; then
    paquetes=(qemu-user-static binfmt-support arch-test)
fi

# sudo clears the environment, so DEBIAN_FRONTEND is handed to apt-get through env: a question
# from a package's configuration would otherwise stop a non-root install. Another apt or dpkg at
# work on the machine (an unattended upgrade, another install) holds dpkg's lock for a while:
# wait for it rather than fail at once.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
# apt-get ARGUMENTS, quietly: what it and the packages' scripts say (debconf's notes on a minimal
# system among them) is shown only when it fails, so that a command's first run says no more than
# what it installs.
apt_callado() {
    local dicho
    dicho=$(mktemp)
    if ! "${apt[@]}" -qq "$@" >"$dicho" 2>&1; then
        cat "$dicho" >&2
        rm -f "$dicho"
        exit 1
    fi
    rm -f "$dicho"
}

faltan=()
for p in "${paquetes[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        faltan+=("$p")
    fi
done
if [ ${#faltan[@]} -gt 0 ]; then
    echo "Installing: ${faltan[*]}"
    apt_callado update
    apt_callado install -y --no-install-recommends "${faltan[@]}"
fi

# The game's build dependencies, debian/control's Build-Depends under the build profiles chosen
# above (apt-get build-dep; build-essential comes with them). apt reads the file as its own
# unprivileged user, and warns when it cannot (a clone in root's home): it is given a copy in a
# folder that user can read.
if [ "$perfiles" != - ]; then
    [ -f "$raiz/debian/control" ] || {
        echo "dependencias.sh: no debian/control to read the build dependencies from" >&2
        exit 1
    }
    if ! (cd "$raiz" && dpkg-checkbuilddeps -P "${perfiles// /,}" 2>/dev/null); then
        echo "Installing the build dependencies that debian/control names"
        legible=$(mktemp -d)
        trap 'rm -rf "$legible"' EXIT
        mkdir "$legible/debian"
        cp "$raiz/debian/control" "$legible/debian/"
        chmod -R a+rX "$legible"
        apt_callado update
        apt_callado build-dep -y --no-install-recommends -P "${perfiles// /,}" "$legible"
    fi
fi
