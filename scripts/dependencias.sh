#!/usr/bin/env bash
# Installs the Debian packages that a task needs and that are missing: `jugar` (build and play),
# `probar` (build and run every test), `medir` (build and run the benchmarks), `medir_programa`
# (measure the whole program), `paquete` (build the Debian package), `captura` (the README's
# screenshot), `estres` (the first-picture stress run) or `debian` (build fresh Debian systems to
# run the play, test and package commands in). Uses sudo when not run as root.
set -euo pipefail

paquetes=(g++ cmake make pkgconf libglut-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri libx11-dev)
if [ "${1:-jugar}" = probar ]; then
    paquetes+=(googletest libgtest-dev xvfb xauth xdotool x11-utils python3 clang-format
               cppcheck clang-tidy valgrind shellcheck)
fi
if [ "${1:-jugar}" = medir ]; then
    paquetes+=(libbenchmark-dev)
fi
# The whole program measured on a private X server, keys typed through XTest, frames profiled
# with Callgrind (scripts/medir_programa.sh); configuring bench/ needs Google Benchmark too.
if [ "${1:-jugar}" = medir_programa ]; then
    paquetes+=(libbenchmark-dev xvfb libx11-dev libxtst-dev valgrind)
fi
# The README's screenshot (scripts/captura.sh): the game on a private X server, keys typed with
# xdotool, the screen dumped with xwd and made a PNG with netpbm.
if [ "${1:-jugar}" = captura ]; then
    paquetes+=(xvfb xdotool x11-apps netpbm)
fi
# The first-picture stress run (scripts/estres_primer_fotograma.sh): the game started over and
# over on a private X server, bare and under GNOME's window manager (mutter as an X11 window
# manager, in a D-Bus session of its own), its window found with xdotool, the screen dumped with
# xwd and a wrong picture kept as PNG with netpbm.
if [ "${1:-jugar}" = estres ]; then
    paquetes+=(xvfb xauth xdotool x11-utils x11-apps netpbm mutter dbus-daemon)
fi
# The Debian package: dpkg-shlibdeps and `file` work out its dependencies, desktop-file-validate
# and mandoc check its menu entry and manual page. The tests build and check it too.
if [ "${1:-jugar}" = paquete ] || [ "${1:-jugar}" = probar ]; then
    paquetes+=(dpkg-dev file desktop-file-utils mandoc)
fi
# The package's test also runs lintian and appstreamcli on it, and loads its icons as GTK does:
# GLib's guess of their type from their bytes (shared-mime-info's rules), gdk-pixbuf with its SVG
# loader, from Python.
if [ "${1:-jugar}" = probar ]; then
    paquetes+=(lintian appstream python3-gi gir1.2-glib-2.0 gir1.2-gdkpixbuf-2.0 librsvg2-common
               shared-mime-info)
fi

# scripts/probar_en_debian.sh: mmdebstrap builds a minimal Debian of a given release from the
# archive, with the archive's keys; it runs as root and needs nothing of the game's.
if [ "${1:-jugar}" = debian ]; then
    paquetes=(mmdebstrap debian-archive-keyring git)
fi

faltan=()
for p in "${paquetes[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        faltan+=("$p")
    fi
done
[ ${#faltan[@]} -eq 0 ] && exit 0

# sudo clears the environment, so DEBIAN_FRONTEND is handed to apt-get through env: a question
# from a package's configuration would otherwise stop a non-root install.
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${faltan[*]}"
# Another apt or dpkg at work on the machine (an unattended upgrade, another install) holds
# dpkg's lock for a while: wait for it rather than fail at once.
espera=(-o DPkg::Lock::Timeout=600)
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${espera[@]}" update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${espera[@]}" install -y -qq \
    --no-install-recommends "${faltan[@]}" >/dev/null
