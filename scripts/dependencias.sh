#!/usr/bin/env bash
# Installs the Debian packages that a task needs and that are missing: `jugar` (build and play)
# or `probar` (build and run every test). Uses sudo when not run as root.
set -euo pipefail

paquetes=(g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri)
if [ "${1:-jugar}" = probar ]; then
    paquetes+=(googletest libgtest-dev xvfb xauth xdotool x11-utils python3 clang-format)
fi

faltan=()
for p in "${paquetes[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        faltan+=("$p")
    fi
done
[ ${#faltan[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${faltan[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${faltan[@]}" >/dev/null
