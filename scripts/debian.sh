#!/usr/bin/env bash
# The game's source package through Debian's own tools, each in a clean system made from Debian's
# archive by mmdebstrap and entered, cleaned up and removed by the tool itself:
#
#   debian.sh construye RELEASE...   sbuild builds the source package for each release
#                                    (bookworm, trixie, unstable), in build/debian/RELEASE/
#   debian.sh cruza ARCH...          sbuild builds it for Debian 13 on each other architecture
#                                    (arm64, armhf, ppc64el, riscv64, s390x), its build-time
#                                    tests run under qemu, in build/debian/trixie-ARCH/
#   debian.sh lintian RELEASE...     unstable's lintian on those builds (source package, .deb,
#                                    .changes, .buildinfo); only the tags expected are allowed
#   debian.sh comprueba RELEASE      the package's own test (tests/e2e/test_paquete.py) on that
#                                    release's build, in a fresh system of that release
#   debian.sh autopkgtest RELEASE [ARCH]
#                                    debian/tests on that release's build, installed on a testbed;
#                                    with another architecture (arm64, s390x...), on its build in
#                                    build/debian/RELEASE-ARCH/, in a testbed of that architecture
#                                    that qemu's user-mode emulation runs
#   debian.sh piuparts RELEASE       installing, removing and purging it leaves the system clean
#   debian.sh reprotest              two builds in varied environments give the same bytes
#
# Each system's tarball is kept in build/debian/sistemas/ for a day. Runs as root; subordinate
# ids for root, which the unshare modes need, are added when missing.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
salida="$raiz/build/debian"
espejo=http://deb.debian.org/debian
[ "$(id -u)" -eq 0 ] || { echo "debian.sh: runs as root; run it with sudo" >&2; exit 1; }
"$raiz/scripts/dependencias.sh" debian
"$raiz/scripts/dependencias.sh" herramientas_debian
version=$(dpkg-parsechangelog -l "$raiz/debian/changelog" -S Version)
arquitectura=$(dpkg --print-architecture)
mkdir -p "$salida/sistemas"
# The fresh systems are unpacked, used and removed in memory when /dev/shm has room for a few of
# them: on a busy disk, writing and then deleting a system's many thousand files one by one
# takes minutes.
if [ "$(df --output=avail -k /dev/shm 2>/dev/null | tail -n 1)" -gt 4000000 ] 2>/dev/null; then
    export TMPDIR=/dev/shm
fi

# mmdebstrap's options for RELEASE, in the array `opciones`. The unstable reached from here is a
# snapshot whose Release file is past its Valid-Until date, which apt refuses unless told; only
# there.
opciones_de() {
    opciones=(--quiet --mode=unshare)
    if [ "$1" = unstable ]; then
        opciones+=('--aptopt=Acquire::Check-Valid-Until "false"')
    fi
}

# `sistema RELEASE VARIANT EXT [ARCH [PACKAGE]]`: the path of a tarball of a fresh RELEASE of
# that mmdebstrap variant, of this machine's architecture or ARCH, with PACKAGE added when one is
# named, made now unless one under a day old
# is there.
sistema() {
    local tarball="$salida/sistemas/$1-$2${4:+-$4}${5:+-$5}.$3" opciones
    if [ -z "$(find "$tarball" -mmin -1440 2>/dev/null)" ]; then
        echo "debian.sh: a fresh $1 ($2${4:+, $4}${5:+, with $5}) from the archive" >&2
        opciones_de "$1"
        [ -z "${4:-}" ] || opciones+=(--arch="$4")
        [ -z "${5:-}" ] || opciones+=(--include="$5")
        # mmdebstrap tells the output's format from its name's end.
        mmdebstrap "${opciones[@]}" --variant="$2" "$1" "${tarball%/*}/nuevo-${tarball##*/}" >&2
        mv "${tarball%/*}/nuevo-${tarball##*/}" "$tarball"
    fi
    echo "$tarball"
}

# The source package, made as scripts/paquete.sh makes it: the release tarball as its
# .orig.tar.xz, the clone's debian/ beside it.
fuente() {
    "$raiz/scripts/paquete.sh" --fuente "$salida/fuente"
}

construye() {
    local dsc release
    dsc=$(fuente)
    for release in "$@"; do
        rm -rf "${salida:?}/$release"
        mkdir -p "$salida/$release"
        echo "debian.sh: sbuild for $release"
        # Lintian is run apart, unstable's on every release's build (debian.sh lintian).
        if ! sbuild --chroot-mode=unshare --chroot="$(sistema "$release" buildd tar.zst)" \
            --dist="$release" --source --no-run-lintian --no-run-autopkgtest --no-run-piuparts \
            --jobs="$(nproc)" --build-dir="$salida/$release" --nolog "$dsc" \
            >"$salida/$release/sbuild.log" 2>&1; then
            tail -n 30 "$salida/$release/sbuild.log"
            echo "debian.sh: sbuild failed for $release; its log: $salida/$release/sbuild.log"
            return 1
        fi
        grep -E '^(Status|Build-Time):' "$salida/$release/sbuild.log"
    done
}

# The programs of architecture $1 run here through qemu's user-mode emulation, which the kernel
# calls for them (binfmt_misc): the file system mounted and the interpreter enabled when they are
# not, and said. Its F flag opens the interpreter once, here, so that it works inside the build's
# chroot too, where no qemu is installed.
emulacion() {
    local qemu binfmt=/proc/sys/fs/binfmt_misc
    case "$1" in
    arm64) qemu=aarch64 ;;
    armhf | armel) qemu=arm ;;
    ppc64el) qemu=ppc64le ;;
    *) qemu=$1 ;;
    esac
    if ! mountpoint -q "$binfmt"; then
        mount -t binfmt_misc binfmt_misc "$binfmt"
        echo "debian.sh: mounted binfmt_misc on $binfmt"
    fi
    if [ "$(head -n 1 "$binfmt/qemu-$qemu" 2>/dev/null)" != enabled ]; then
        update-binfmts --enable "qemu-$qemu"
        echo "debian.sh: enabled qemu-$qemu in binfmt_misc"
    fi
    if ! grep -q '^flags: .*F' "$binfmt/qemu-$qemu"; then
        echo "debian.sh: qemu-$qemu is registered without the F flag, and would not run in a" \
            "chroot; the static qemu's registration has it (qemu-user-static)" >&2
        return 1
    fi
}

# Debian 13 built for each architecture named by a cross build on this machine, as Debian's
# buildds would build it there: sbuild installs the cross compiler and the build dependencies of
# that architecture in a clean trixie chroot of this one's, and the build-time tests, told that
# this machine runs the host's programs (crossbuildcanrunhostbinaries), run under qemu. sbuild
# leaves the tests out of a cross build unless its profiles are given: the cross profile alone.
# sbuild resolves a cross build's dependencies through apt's external solver, and copies its own
# into a chroot that lacks one: Debian 12's, which cannot start on Debian 13's libapt-pkg. The
# chroot has its own, from apt-utils.
# Goes on with the next architecture when one fails, and fails at the end.
cruza() {
    local dsc arquitectura_ajena carpeta fallidas=()
    "$raiz/scripts/dependencias.sh" emulacion
    for arquitectura_ajena in "$@"; do emulacion "$arquitectura_ajena"; done
    dsc=$(fuente)
    for arquitectura_ajena in "$@"; do
        carpeta="$salida/trixie-$arquitectura_ajena"
        rm -rf "$carpeta"
        mkdir -p "$carpeta"
        echo "debian.sh: sbuild for trixie on $arquitectura_ajena"
        if ! DEB_BUILD_OPTIONS=crossbuildcanrunhostbinaries sbuild --chroot-mode=unshare \
            --chroot="$(sistema trixie buildd tar.zst "" apt-utils)" --dist=trixie \
            --host="$arquitectura_ajena" --profiles=cross --source --no-run-lintian \
            --no-run-autopkgtest --no-run-piuparts \
            --jobs="$(nproc)" --build-dir="$carpeta" --nolog "$dsc" >"$carpeta/sbuild.log" 2>&1
        then
            tail -n 30 "$carpeta/sbuild.log"
            echo "debian.sh: sbuild failed for trixie on $arquitectura_ajena; its log:" \
                "$carpeta/sbuild.log"
            fallidas+=("$arquitectura_ajena")
            continue
        fi
        grep -E '^(Status|Build-Time):' "$carpeta/sbuild.log"
    done
    if [ ${#fallidas[@]} -gt 0 ]; then
        echo "debian.sh: the builds for ${fallidas[*]} failed"
        return 1
    fi
}

# The tools after sbuild read its build of each release named; without one they would fail in a
# fresh system, after minutes, on a missing file. Says which command makes it instead.
construido() {
    local release
    for release in "$@"; do
        if [ ! -f "$salida/$release/voltaro_${version}_$arquitectura.changes" ]; then
            echo "debian.sh: no build for $release in $salida/$release: run" \
                "\`$0 construye $release\` first" >&2
            exit 2
        fi
    done
}

# The same for the build of release $1 for another architecture $2, in build/debian/$1-$2/.
construido_ajeno() {
    if [ ! -f "$salida/$1-$2/voltaro_${version}_$2.changes" ]; then
        echo "debian.sh: no build for $1 on $2 in $salida/$1-$2: run \`$0 cruza $2\` first" >&2
        exit 2
    fi
}

# Lintian from unstable, the archive's newest, in a fresh unstable system that mmdebstrap makes
# for it and removes after: each release's build is copied in, lintian reads its .changes (and
# with it the source package, the .deb and the .buildinfo) and fails on any tag it shows, pedantic
# and informational ones included; what it said is copied out. A bookworm or trixie build is built
# from a changelog that names unstable, which lintian says of it alone.
lintian_de_unstable() {
    local release ganchos=() suprimidas opciones fallos=0
    rm -rf "$salida/lintian"
    for release in "$@"; do
        suprimidas=()
        [ "$release" = unstable ] || suprimidas=(--suppress-tags distribution-and-changes-mismatch)
        ganchos+=(--customize-hook="copy-in $salida/$release /construcciones"
                  --customize-hook="chroot \"\$1\" sh -c 'cd /construcciones/$release &&
lintian --pedantic --display-info --allow-root --fail-on error,warning,info,pedantic ${suprimidas[*]} \
*.changes > lintian 2>&1; echo \$? > estado'")
    done
    echo "debian.sh: unstable's lintian on the builds for $*"
    opciones_de unstable
    # shellcheck disable=SC2016  # "$1" is the system's root, as mmdebstrap hands it over
    mmdebstrap "${opciones[@]}" --variant=apt --include=lintian \
        --customize-hook='mkdir "$1/construcciones"' "${ganchos[@]}" \
        --customize-hook='chroot "$1" sh -c "lintian --version > /construcciones/version"' \
        --customize-hook="copy-out /construcciones $salida/lintian" unstable /dev/null
    cat "$salida/lintian/construcciones/version"
    for release in "$@"; do
        cat "$salida/lintian/construcciones/$release/lintian"
        if [ "$(cat "$salida/lintian/construcciones/$release/estado")" != 0 ]; then
            echo "debian.sh: lintian failed on the build for $release"
            fallos=1
        else
            echo "debian.sh: lintian passed the build for $release"
        fi
    done
    return $fallos
}

# The package's own test (tests/e2e/test_paquete.py) on the release's build, in a fresh system of
# that release that mmdebstrap makes with the test's tools and removes after: the build is copied
# in and installed with its dependencies, a clone of the current commit beside it (the test
# compares the source package with the release tarball of that commit), and pytest runs there on
# a private X server. What it said is copied out.
comprueba_de() {
    local herramientas=git,xz-utils,dpkg-dev,file,binutils,blhc,mandoc,man-db,groff-base
    herramientas+=,desktop-file-utils,appstream,xvfb,xauth,libgl1-mesa-dri,python3-pytest
    herramientas+=,python3-xlib,python3-pil,python3-psutil,python3-gi,gir1.2-glib-2.0
    herramientas+=,gir1.2-gdkpixbuf-2.0,librsvg2-common,shared-mime-info
    local tmp estado
    tmp=$(mktemp -d)
    git -C "$raiz" bundle create -q "$tmp/voltaro.bundle" HEAD
    echo "debian.sh: the package's test on the build for $1"
    opciones_de "$1"
    # shellcheck disable=SC2016  # "$1" is the system's root, as mmdebstrap hands it over
    mmdebstrap "${opciones[@]}" --variant=apt --include="$herramientas" \
        --customize-hook="copy-in $salida/$1 /" \
        --customize-hook="copy-in $tmp/voltaro.bundle /tmp" \
        --customize-hook='chroot "$1" git -c init.defaultBranch=main -c advice.detachedHead=false \
            clone -q /tmp/voltaro.bundle /root/voltaro' \
        --customize-hook="chroot \"\$1\" sh -c 'apt-get install -y -q /$1/voltaro_${version}_$arquitectura.deb \
>/dev/null'" \
        --customize-hook="chroot \"\$1\" sh -c 'cd /root/voltaro && xvfb-run -a -s \"-screen 0 1280x1024x24 \
-nolisten tcp\" python3 -m pytest -q -p no:cacheprovider tests/e2e/test_paquete.py --paquete /$1 \
> /tmp/informe 2>&1; echo \$? > /tmp/estado'" \
        --customize-hook="copy-out /tmp/informe /tmp/estado $tmp" "$1" /dev/null
    cat "$tmp/informe"
    estado=$(cat "$tmp/estado")
    rm -rf "$tmp"
    [ "$estado" = 0 ]
}

# debian/tests on a fresh testbed of the release with that release's build installed, as
# Debian's CI runs them. The testbed's tarball has no package lists of its own: -U updates them
# (and upgrades the testbed) first. With another architecture $2, the testbed is of that
# architecture, its every program run by qemu (emulacion), and the build is the one in
# build/debian/$1-$2/; the results go to build/debian/$1-$2-autopkgtest/.
autopkgtest_de() {
    local nombre=$1${2:+-$2} de=${2:-$arquitectura}
    rm -rf "$salida/$nombre-autopkgtest"
    echo "debian.sh: autopkgtest on $1 ($de)"
    autopkgtest --output-dir="$salida/$nombre-autopkgtest" -U \
        "$salida/$nombre/voltaro_${version}_$de.changes" \
        -- unshare --release "$1" --arch "$de" --tarball "$(sistema "$1" minbase tar.gz "${2:-}")"
}

# Install, remove and purge the release's build on a fresh system of that release: nothing may be
# left behind or changed. Debian 13's debconf leaves /var/cache/debconf/tmp.ci/, which no package
# owns, whatever is purged: that path alone is not held against the game.
piuparts_de() {
    local ignora=()
    [ "$1" = bookworm ] || ignora=(--ignore=/var/cache/debconf/tmp.ci/)
    echo "debian.sh: piuparts on $1"
    rm -f "$salida/$1-piuparts.log"
    if ! piuparts --basetgz="$(sistema "$1" minbase tar.gz)" --distribution="$1" \
        --mirror="$espejo main" "${ignora[@]}" --log-file="$salida/$1-piuparts.log" \
        "$salida/$1/voltaro_${version}_$arquitectura.deb" >/dev/null 2>&1; then
        tail -n 30 "$salida/$1-piuparts.log"
        return 1
    fi
    grep -E '^[0-9.ms]+ (PASS|INFO): ' "$salida/$1-piuparts.log" | tail -n 2
}

# Two builds of the source package on this machine, the second with every variation reprotest
# can make here: build path, time, time zone, locale, umask, environment, home, path, number of
# CPUs, kernel, address space layout, host and domain names, file order (disorderfs). Not the
# user and group: reprotest calls `sudo -h` for them, which Debian 12's sudo rejects. Built
# without the build-time tests, whose sanitizer runtimes refuse to start behind the time
# variation's preloaded faketime library; the tests do not go into the packages.
reprotest_de() {
    local dsc
    dsc=$(fuente)
    rm -rf "$salida/reprotest"
    echo "debian.sh: reprotest"
    DEB_BUILD_OPTIONS=nocheck DEB_BUILD_PROFILES=nocheck "$raiz/scripts/dependencias.sh" paquete
    # reprotest copies the source package's folder; the build unpacks it there.
    reprotest --verbosity=1 --vary=-user_group --store-dir="$salida/reprotest" \
        --build-command="dpkg-source --extract $(basename "$dsc") fuentes && cd fuentes &&
            DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage --no-sign --build=binary -Pnocheck" \
        "$dsc" '*.deb' -- null
}

case "${1:-}" in
construye)
    shift
    construye "$@"
    ;;
cruza)
    shift
    [ $# -gt 0 ] || { echo "usage: $0 cruza ARCH..." >&2; exit 2; }
    cruza "$@"
    ;;
lintian)
    shift
    construido "$@"
    lintian_de_unstable "$@"
    ;;
comprueba)
    [ $# -eq 2 ] || { echo "usage: $0 comprueba RELEASE" >&2; exit 2; }
    construido "$2"
    comprueba_de "$2"
    ;;
autopkgtest)
    [ $# -eq 2 ] || [ $# -eq 3 ] || { echo "usage: $0 autopkgtest RELEASE [ARCH]" >&2; exit 2; }
    if [ $# -eq 3 ] && [ "$3" != "$arquitectura" ]; then
        construido_ajeno "$2" "$3"
        "$raiz/scripts/dependencias.sh" emulacion
        emulacion "$3"
        autopkgtest_de "$2" "$3"
    else
        construido "$2"
        autopkgtest_de "$2"
    fi
    ;;
piuparts)
    [ $# -eq 2 ] || { echo "usage: $0 piuparts RELEASE" >&2; exit 2; }
    construido "$2"
    piuparts_de "$2"
    ;;
reprotest)
    reprotest_de
    ;;
*)
    echo "usage: $0 construye|cruza|lintian|comprueba|autopkgtest|piuparts|reprotest" \
        "[RELEASE...|ARCH...]" >&2
    exit 2
    ;;
esac
