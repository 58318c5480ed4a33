#!/usr/bin/env bash
# The game on fresh Debian systems, and its source package through Debian's own tools, each in a
# clean system that mmdebstrap makes from Debian's archive; debian/README.source says what each
# command proves. Runs as root.
#
#   debian.sh probar RELEASE [CTEST...]    the README's commands on a fresh minimal RELEASE
#   debian.sh construye RELEASE...         sbuild, into build/debian/RELEASE/
#   debian.sh cruza ARCH...                sbuild for Debian 13 on ARCH, into build/debian/trixie-ARCH/
#   debian.sh lintian RELEASE...           unstable's lintian on those builds
#   debian.sh comprueba RELEASE            tests/e2e/test_paquete.py on that build
#   debian.sh autopkgtest RELEASE [ARCH]   debian/tests on that build
#   debian.sh piuparts RELEASE             installing, removing and purging leave no trace
#   debian.sh reprotest                    two builds in varied environments, the same bytes
# shellcheck disable=SC2016  # "$1" in a hook is mmdebstrap's: the system's directory
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
salida=$raiz/build/debian
version=$(dpkg-parsechangelog -l "$raiz/debian/changelog" -S Version)
arquitectura=$(dpkg --print-architecture)

# `sistema_de RELEASE OUTPUT OPTION...`: mmdebstrap, the one maker of systems. apt retries a failed
# download; the unstable reached from here is a snapshot whose Release is past its Valid-Until.
sistema_de() {
    local release=$1 destino=$2 opciones=(--quiet --mode=unshare --aptopt='Acquire::Retries "3"')
    shift 2
    [ "$release" != unstable ] || opciones+=('--aptopt=Acquire::Check-Valid-Until "false"')
    mmdebstrap "${opciones[@]}" "$@" "$release" "$destino"
}

# `tarball RELEASE VARIANT EXT [ARCH [PACKAGE]]`: the path of a tarball of a fresh RELEASE (of ARCH,
# with PACKAGE, when named) for sbuild, autopkgtest and piuparts, made unless one under a day old is
# there.
tarball() {
    local ruta="$salida/sistemas/$1-$2${4:+-$4}${5:+-$5}.$3"
    if [ -z "$(find "$ruta" -mmin -1440 2>/dev/null)" ]; then
        echo "debian.sh: a fresh $1 ($2${4:+, $4}${5:+, with $5}) from the archive" >&2
        mkdir -p "$salida/sistemas"
        sistema_de "$1" "${ruta%/*}/nuevo-${ruta##*/}" --variant="$2" ${4:+--arch="$4"} \
            ${5:+--include="$5"} >&2
        mv "${ruta%/*}/nuevo-${ruta##*/}" "$ruta"
    fi
    echo "$ruta"
}

# The commit at HEAD (uncommitted changes stay out) as hooks that copy in its bundle and clone it
# to /root/voltaro, in the array `clon`.
clona() {
    git -C "$raiz" bundle create -q "$tmp/voltaro.bundle" HEAD
    clon=(--customize-hook="copy-in $tmp/voltaro.bundle /tmp"
          --customize-hook='chroot "$1" git -c init.defaultBranch=main -c advice.detachedHead=false \
              clone -q /tmp/voltaro.bundle /root/voltaro')
}

# A command line run in the fresh system at $sistema as root, with the bare environment of a new
# login and no display; en_clon, in the clone.
en_sistema() {
    chroot "$sistema" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$1" </dev/null
}
en_clon() { en_sistema "cd /root/voltaro && $1"; }

# The play command with no display, twice: status 1 after its one line on stderr, the only line
# there (what it installs the first time is said on stdout); the second time that line is all.
juega() {
    local estado sale=$sistema/tmp/jugar.out errores=$sistema/tmp/jugar.err
    for _ in 1 2; do
        estado=0
        en_clon 'bash scripts/jugar.sh' >"$sale" 2>"$errores" || estado=$?
        cat "$sale" "$errores"
        [ "$estado" -eq 1 ] && [ "$(wc -l <"$errores")" -eq 1 ] &&
            grep -q '^voltaro: no display' "$errores" || return 1
    done
    [ ! -s "$sale" ]
}

# The release tarball of the commit (in /tmp) built, tested and installed by the recipe in the
# README's Install section, run as it stands, with what it lists installed and no checker, as a
# distribution would run it: its own flags (Arch's), with the sources mapped to its debug source
# folder; a g++ that refuses -fsanitize=, as GCC does on architectures with no sanitizer runtimes; a
# git that fails; and a sudo that installs into a staging root. Then the game must be in /usr/bin
# alone, the debugging information must name the sources where the map puts them and nothing of
# the build folder, and git must never have been called.
lanzamiento() {
    local depuracion=/usr/src/debug/voltaro envoltorios=$sistema/tmp/envoltorios
    en_clon 'bash scripts/dependencias.sh lanzamiento' || return 1
    sed -n '/^tar -xf voltaro-/,/^sudo cmake --install/p' "$sistema/root/voltaro/README.md" \
        >"$sistema/tmp/receta"
    mkdir "$envoltorios"
    printf '#!/bin/sh\necho "git $*" >>/tmp/llamadas-a-git\nexit 1\n' >"$envoltorios/git"
    printf '#!/bin/sh\nexec env DESTDIR=/tmp/raiz "$@"\n' >"$envoltorios/sudo"
    printf '#!/bin/sh\nfor o; do case $o in -fsanitize=*) exit 1 ;; esac; done\nexec g++ "$@"\n' \
        >"$envoltorios/c++"
    chmod +x "$envoltorios"/*
    en_sistema "cd /tmp && PATH=/tmp/envoltorios:\$PATH CMAKE_BUILD_TYPE=None \
        CXX=/tmp/envoltorios/c++ LDFLAGS='-Wl,-O1 -Wl,--as-needed -Wl,-z,relro -Wl,-z,now' \
        CXXFLAGS='-O2 -pipe -fno-plt -fexceptions -Wp,-D_FORTIFY_SOURCE=3 -Wformat -Werror=format-security \
-fstack-clash-protection -Wp,-D_GLIBCXX_ASSERTIONS -g -ffile-prefix-map=/tmp=$depuracion' \
        CMAKE_BUILD_PARALLEL_LEVEL=\$(nproc) CTEST_PARALLEL_LEVEL=\$(nproc) CTEST_OUTPUT_ON_FAILURE=1 \
        bash -e receta >receta.log 2>&1" || { cat "$sistema/tmp/receta.log"; return 1; }
    grep -E 'sanitizer tests left out|tests passed' "$sistema/tmp/receta.log"
    en_sistema "readelf --debug-dump=info --wide /tmp/voltaro-*/build/voltaro" >"$tmp/depuracion"
    if ! grep -q 'sanitizer tests left out' "$sistema/tmp/receta.log" ||
        [ "$(ls "$sistema/tmp/raiz/usr")" != "$(printf 'bin\nshare')" ] ||
        [ "$(ls "$sistema/tmp/raiz/usr/bin")" != voltaro ] || [ -e "$sistema/tmp/llamadas-a-git" ] ||
        ! grep -q "$depuracion/voltaro-${version%-*}/shell/main.cpp" "$tmp/depuracion" ||
        grep -q '/tmp/' "$tmp/depuracion"; then
        echo "not built as a distribution expects: sanitizer tests, /usr/bin, git or debug sources"
        return 1
    fi
}

# `--paso TITLE ROOT COMMAND...`, from one of mmdebstrap's hooks, in the system's namespaces: one
# step of `probar`, its line and time printed and added to the report.
informa() { echo "== $*" | tee -a "$tmp/informe"; }
if [ "${1:-}" = --paso ]; then
    titulo=$2 sistema=$3 tmp=$VOLTARO_TMP inicio=$SECONDS resultado=passed
    shift 3
    [ -s "$tmp/informe" ] ||
        informa "fresh minimal system and clone: done, $(($(date +%s) - VOLTARO_INICIO)) s"
    echo "== $titulo"
    "$@" || resultado=FAILED
    informa "$titulo: $resultado, $((SECONDS - inicio)) s"
    [ "$resultado" = passed ]
    exit
fi

# `paso TITLE COMMAND...`: a hook of mmdebstrap's that runs COMMAND as a step of `probar`.
paso() {
    printf '%q ' bash "$raiz/scripts/debian.sh" --paso "$1"
    printf '"$1"'
    shift
    printf ' %q' "$@"
}

# `probar RELEASE [CTEST...]`: a fresh minimal RELEASE with git and ca-certificates, the commit
# cloned into it, and there, as a newcomer would: the play command with no display, the release
# tarball as the README builds it, and the test command (given CTEST, with those arguments).
probar() {
    local release=$1 estado=0
    shift
    clona
    export VOLTARO_TMP=$tmp VOLTARO_INICIO
    VOLTARO_INICIO=$(date +%s)
    sistema_de "$release" /dev/null --variant=minbase --include=git,ca-certificates "${clon[@]}" \
        --customize-hook="copy-in $("$raiz/scripts/lanzamiento.sh" "$tmp" 2>/dev/null) /tmp" \
        --customize-hook="$(paso 'play command (bash scripts/jugar.sh)' juega)" \
        --customize-hook="$(paso 'release tarball, as the README builds it' lanzamiento)" \
        --customize-hook="$(paso "test command (bash scripts/probar.sh $*)" en_clon \
            "bash scripts/probar.sh $*")" || estado=$?
    echo
    cat "$tmp/informe" 2>/dev/null || true
    return "$estado"
}

# The source package, made as scripts/paquete.sh makes it: the release tarball as its
# .orig.tar.xz, the clone's debian/ beside it. Its .dsc in `dsc`.
fuente() {
    dsc=$("$raiz/scripts/paquete.sh" --fuente "$salida/fuente")
}

# `sbuild_en FOLDER OPTION...`: sbuild builds the source package into FOLDER, where its log goes;
# lintian, autopkgtest and piuparts are run apart.
sbuild_en() {
    local carpeta=$1
    shift
    rm -rf "$carpeta"
    mkdir -p "$carpeta"
    echo "debian.sh: sbuild $*"
    if ! sbuild --chroot-mode=unshare --source --no-run-lintian --no-run-autopkgtest \
        --no-run-piuparts --jobs="$(nproc)" --build-dir="$carpeta" --nolog "$@" "$dsc" \
        >"$carpeta/sbuild.log" 2>&1; then
        tail -n 30 "$carpeta/sbuild.log"
        echo "debian.sh: sbuild failed; its log: $carpeta/sbuild.log"
        return 1
    fi
    grep -E '^(Status|Build-Time):' "$carpeta/sbuild.log"
}

construye() {
    local release
    fuente
    for release in "$@"; do
        sbuild_en "$salida/$release" --dist="$release" --chroot="$(tarball "$release" buildd tar.zst)"
    done
}

# The programs of architecture $1 run here through qemu's user-mode emulation (binfmt_misc),
# mounted and enabled when they are not. The F flag opens the interpreter here, so that it runs in
# a chroot with no qemu.
emulacion() {
    local qemu binfmt=/proc/sys/fs/binfmt_misc
    case "$1" in
    arm64) qemu=aarch64 ;;
    armhf | armel) qemu=arm ;;
    ppc64el) qemu=ppc64le ;;
    *) qemu=$1 ;;
    esac
    mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
    [ "$(head -n 1 "$binfmt/qemu-$qemu" 2>/dev/null)" = enabled ] || update-binfmts --enable "qemu-$qemu"
    grep -q '^flags: .*F' "$binfmt/qemu-$qemu" ||
        { echo "debian.sh: qemu-$qemu is registered without the F flag" >&2; return 1; }
}

# Debian 13 cross built for each architecture in a clean amd64 chroot, its build-time tests run
# under qemu (crossbuildcanrunhostbinaries); the chroot has apt-utils, whose solver sbuild uses for
# a cross build. Goes on past a failed architecture, and fails at the end.
cruza() {
    local ajena fallidas=()
    "$raiz/scripts/dependencias.sh" emulacion
    for ajena in "$@"; do emulacion "$ajena"; done
    fuente
    for ajena in "$@"; do
        DEB_BUILD_OPTIONS=crossbuildcanrunhostbinaries sbuild_en "$salida/trixie-$ajena" \
            --dist=trixie --host="$ajena" --profiles=cross \
            --chroot="$(tarball trixie buildd tar.zst "" apt-utils)" || fallidas+=("$ajena")
    done
    [ ${#fallidas[@]} -eq 0 ] || { echo "debian.sh: the builds for ${fallidas[*]} failed"; return 1; }
}

# The tools after sbuild read its build of release $1 (on architecture $2, the machine's unless
# given); without it they would fail after minutes on a missing file.
construido() {
    local carpeta=$salida/$1${2:+-$2}
    local hazlo="construye $1"
    [ -z "${2:-}" ] || hazlo="cruza $2"
    [ -f "$carpeta/voltaro_${version}_${2:-$arquitectura}.changes" ] ||
        { echo "debian.sh: no build in $carpeta: run \`$0 $hazlo\` first" >&2; exit 2; }
}

# Unstable's lintian, the archive's newest, on each release's build (its .changes, and with it the
# source package, the .deb and the .buildinfo), failing on any tag it shows, in a fresh unstable
# system. A Debian 12 or 13 build comes from a changelog that names unstable, which lintian says of
# it alone.
lintian_de_unstable() {
    local release ganchos=() suprimidas fallos=0
    rm -rf "$salida/lintian"
    for release in "$@"; do
        suprimidas=()
        [ "$release" = unstable ] || suprimidas=(--suppress-tags distribution-and-changes-mismatch)
        ganchos+=(--customize-hook="copy-in $salida/$release /construcciones"
                  --customize-hook="chroot \"\$1\" sh -c 'cd /construcciones/$release && lintian \
--pedantic --display-info --allow-root --fail-on error,warning,info,pedantic ${suprimidas[*]} \
*.changes > lintian 2>&1; echo \$? > estado'")
    done
    echo "debian.sh: unstable's lintian on the builds for $*"
    sistema_de unstable /dev/null --variant=apt --include=lintian \
        --customize-hook='mkdir "$1/construcciones"' "${ganchos[@]}" \
        --customize-hook='chroot "$1" sh -c "lintian --version > /construcciones/version"' \
        --customize-hook="copy-out /construcciones $salida/lintian"
    cat "$salida/lintian/construcciones/version"
    for release in "$@"; do
        cat "$salida/lintian/construcciones/$release/lintian"
        [ "$(cat "$salida/lintian/construcciones/$release/estado")" = 0 ] ||
            { echo "debian.sh: lintian failed on the build for $release"; fallos=1; }
    done
    return $fallos
}

# The package's own test on the release's build, in a fresh system of the release with the test's
# tools, the build installed and a clone of the commit beside it (the test compares the source
# package with the release tarball of that commit).
comprueba_de() {
    local herramientas=git,xz-utils,dpkg-dev,file,binutils,blhc,mandoc,man-db,groff-base
    herramientas+=,desktop-file-utils,appstream,python3-pytest,python3-xlib,python3-pil
    herramientas+=,python3-psutil,python3-gi,gir1.2-gdkpixbuf-2.0,librsvg2-common,shared-mime-info
    clona
    echo "debian.sh: the package's test on the build for $1"
    sistema_de "$1" /dev/null --variant=apt --include="$herramientas" \
        --customize-hook="copy-in $salida/$1 /" "${clon[@]}" \
        --customize-hook="chroot \"\$1\" apt-get install -y -q /$1/voltaro_${version}_$arquitectura.deb >/dev/null" \
        --customize-hook="chroot \"\$1\" sh -c 'cd /root/voltaro && python3 -m pytest \
tests/e2e/test_paquete.py --paquete /$1 > /tmp/informe 2>&1; echo \$? > /tmp/estado'" \
        --customize-hook="copy-out /tmp/informe /tmp/estado $tmp"
    cat "$tmp/informe"
    [ "$(cat "$tmp/estado")" = 0 ]
}

# debian/tests on a fresh testbed of the release with that release's build installed, as Debian's
# CI runs them; -U updates the testbed's package lists first. With another architecture $2, the
# testbed is of that architecture, its every program run by qemu, and the build is
# build/debian/$1-$2/'s.
autopkgtest_de() {
    local nombre=$1${2:+-$2} de=${2:-$arquitectura}
    rm -rf "$salida/$nombre-autopkgtest"
    echo "debian.sh: autopkgtest on $1 ($de)"
    autopkgtest --output-dir="$salida/$nombre-autopkgtest" -U \
        "$salida/$nombre/voltaro_${version}_$de.changes" \
        -- unshare --release "$1" --arch "$de" --tarball "$(tarball "$1" minbase tar.gz "${2:-}")"
}

# Install, remove and purge the release's build on a fresh system of that release. Debian 13's
# debconf leaves /var/cache/debconf/tmp.ci/, which no package owns, whatever is purged.
piuparts_de() {
    local ignora=()
    [ "$1" = bookworm ] || ignora=(--ignore=/var/cache/debconf/tmp.ci/)
    echo "debian.sh: piuparts on $1"
    if ! piuparts --basetgz="$(tarball "$1" minbase tar.gz)" --distribution="$1" \
        --mirror="http://deb.debian.org/debian main" "${ignora[@]}" \
        --log-file="$salida/$1-piuparts.log" "$salida/$1/voltaro_${version}_$arquitectura.deb" \
        >/dev/null 2>&1; then
        tail -n 30 "$salida/$1-piuparts.log"
        return 1
    fi
    grep -E '^[0-9.ms]+ (PASS|INFO): ' "$salida/$1-piuparts.log" | tail -n 2
}

# Two builds of the source package on this machine, the second with every variation reprotest can
# make here but the user and group (for which it calls `sudo -h`, which Debian 12's sudo rejects).
# Without the build-time tests: their sanitizer runtimes refuse to start behind the time
# variation's preloaded faketime, and the tests do not go into the packages.
reprotest_de() {
    fuente
    rm -rf "$salida/reprotest"
    echo "debian.sh: reprotest"
    DEB_BUILD_OPTIONS=nocheck DEB_BUILD_PROFILES=nocheck "$raiz/scripts/dependencias.sh" paquete
    reprotest --verbosity=1 --vary=-user_group --store-dir="$salida/reprotest" \
        --build-command="dpkg-source --extract $(basename "$dsc") fuentes && cd fuentes &&
            DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage --no-sign --build=binary -Pnocheck" \
        "$dsc" '*.deb' -- null
}

[ "$(id -u)" -eq 0 ] || { echo "debian.sh: runs as root; run it with sudo" >&2; exit 1; }
"$raiz/scripts/dependencias.sh" debian
# The fresh systems are unpacked, used and removed in memory when /dev/shm has room for a few: on
# a busy disk, writing and deleting a system's many thousand files one by one takes minutes.
if [ "$(df --output=avail -k /dev/shm 2>/dev/null | tail -n 1)" -gt 4000000 ] 2>/dev/null; then
    export TMPDIR=/dev/shm
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
orden=${1:-}
shift || true
case "$orden $#" in
"probar "[1-9]*) probar "$@" ;;
"construye "[1-9]*) construye "$@" ;;
"cruza "[1-9]*) cruza "$@" ;;
"lintian "[1-9]*)
    for r in "$@"; do construido "$r"; done
    lintian_de_unstable "$@"
    ;;
"comprueba 1") construido "$1" && comprueba_de "$1" ;;
"autopkgtest 1" | "autopkgtest 2")
    [ "${2:-$arquitectura}" != "$arquitectura" ] || set -- "$1"
    construido "$@"
    if [ $# -eq 2 ]; then
        "$raiz/scripts/dependencias.sh" emulacion
        emulacion "$2"
    fi
    autopkgtest_de "$@"
    ;;
"piuparts 1") construido "$1" && piuparts_de "$1" ;;
"reprotest 0") reprotest_de ;;
*)
    sed -n '6,13s/^# //p' "$0" >&2
    exit 2
    ;;
esac
