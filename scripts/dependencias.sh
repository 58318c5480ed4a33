#!/usr/bin/env bash
# Installs the Debian packages that a task needs and that are missing: `jugar` (build and play),
# `probar` (build and run every test), `medir` (build and run the benchmarks), `medir_programa`
# (measure the whole program), `paquete` (build the Debian package), `captura` (the README's
# screenshot), `estres` (the first-picture stress run), `debian` (build fresh Debian systems in the
# unshare modes of mmdebstrap, sbuild and autopkgtest) or `herramientas_debian` (Debian's tools
# that scripts/debian.sh runs). Uses sudo when not run as root.
set -euo pipefail
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

# Every build also merges the translations into the menu entry and the AppStream metadata
# (gettext's msgfmt, with AppStream's rules of what is translatable, which Debian 12's gettext
# lacks for release notes) and translates the manual page (po4a).
paquetes=(g++ cmake make pkgconf libglut-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri libx11-dev
          gettext po4a appstream)
if [ "${1:-jugar}" = probar ]; then
    paquetes+=(googletest libgtest-dev xvfb xauth python3 python3-pytest python3-xlib python3-pil
               python3-psutil clang-format cppcheck clang-tidy valgrind shellcheck)
fi
if [ "${1:-jugar}" = medir ]; then
    paquetes+=(libbenchmark-dev)
fi
# The whole program measured on a private X server, keys typed through XTest, frames profiled
# with Callgrind (scripts/medir_programa.sh); configuring bench/ needs Google Benchmark too.
if [ "${1:-jugar}" = medir_programa ]; then
    paquetes+=(libbenchmark-dev xvfb libx11-dev libxtst-dev valgrind python3 python3-xlib
               python3-psutil python3-pil)
fi
# The README's screenshot (scripts/captura.sh): the game on a private X server, keys typed with
# xdotool, the screen dumped with xwd and made a PNG with netpbm.
if [ "${1:-jugar}" = captura ]; then
    paquetes+=(xvfb xdotool x11-apps netpbm python3 python3-xlib python3-psutil python3-pil)
fi
# The first-picture stress run (scripts/estres_primer_fotograma.sh): the game started over and
# over on a private X server, bare and under GNOME's window manager (mutter as an X11 window
# manager, in a D-Bus session of its own), its window found with xdotool, the screen dumped with
# xwd and a wrong picture kept as PNG with netpbm.
if [ "${1:-jugar}" = estres ]; then
    paquetes+=(xvfb xauth xdotool x11-utils x11-apps netpbm mutter dbus-daemon python3
               python3-xlib python3-psutil python3-pil)
fi
# The Debian package: dpkg-buildpackage, then the build dependencies that debian/control names
# (below); the tests build it too, and check its manual page with mandoc and its menu entry with
# desktop-file-validate.
if [ "${1:-jugar}" = paquete ] || [ "${1:-jugar}" = probar ]; then
    paquetes+=(dpkg-dev desktop-file-utils mandoc)
fi
# The package's test also runs lintian and appstreamcli on it and blhc on its build's log, loads
# its icons as GTK does (GLib's guess of their type from their bytes, shared-mime-info's rules, and
# gdk-pixbuf with its SVG loader, from Python), reads its menu entry through GLib and finds its
# Spanish manual page with man.
if [ "${1:-jugar}" = probar ]; then
    paquetes+=(lintian blhc python3-gi gir1.2-glib-2.0 gir1.2-gdkpixbuf-2.0 librsvg2-common
               shared-mime-info man-db)
fi

# Fresh Debian systems built from the archive, with the archive's keys, by mmdebstrap in its
# unshare mode (scripts/probar_en_debian.sh; sbuild and autopkgtest, which take its tarballs);
# uidmap maps the subordinate ids below. Nothing of the game's is needed.
if [ "${1:-jugar}" = debian ]; then
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
if [ "${1:-jugar}" = herramientas_debian ]; then
    paquetes=(dpkg-dev sbuild autopkgtest piuparts reprotest disorderfs faketime locales-all
              diffoscope-minimal)
fi

# sudo clears the environment, so DEBIAN_FRONTEND is handed to apt-get through env: a question
# from a package's configuration would otherwise stop a non-root install. Another apt or dpkg at
# work on the machine (an unattended upgrade, another install) holds dpkg's lock for a while:
# wait for it rather than fail at once.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)

faltan=()
for p in "${paquetes[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        faltan+=("$p")
    fi
done
if [ ${#faltan[@]} -gt 0 ]; then
    echo "Installing: ${faltan[*]}"
    "${apt[@]}" update -qq
    "${apt[@]}" install -y -qq --no-install-recommends "${faltan[@]}" >/dev/null
fi

# The package's build dependencies, as debian/control names them; those of the build-time tests
# only when the nocheck build profile is not asked for.
if [ "${1:-jugar}" = paquete ] || [ "${1:-jugar}" = probar ]; then
    raiz=$(cd "$(dirname "$0")/.." && pwd)
    perfiles=(-P "${DEB_BUILD_PROFILES:-}")
    perfiles[1]=${perfiles[1]// /,}
    if ! (cd "$raiz" && dpkg-checkbuilddeps "${perfiles[@]}" 2>/dev/null); then
        echo "Installing the build dependencies that debian/control names"
        "${apt[@]}" update -qq
        "${apt[@]}" build-dep -y -qq --no-install-recommends "${perfiles[@]}" "$raiz" >/dev/null
    fi
fi
