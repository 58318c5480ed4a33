#!/bin/sh
# A C++ compiler with no sanitizer runtimes, as GCC is on some of the architectures Debian builds
# for: g++ that refuses any -fsanitize= option, as GCC refuses one it cannot build. The release's
# test builds the game and its display-free tests with it (CXX=this script).
for opcion in "$@"; do
    case $opcion in
    -fsanitize=*)
        echo "sin_saneadores.sh: sanitizer not supported on this target: $opcion" >&2
        exit 1
        ;;
    esac
done
exec g++ "$@"
