#!/usr/bin/env bash
# Fails when a C++ file of the repository is not laid out as clang-format, with the repository's
# .clang-format, would leave it. The files are those git knows or would add (ignored build trees
# left out); outside a git checkout, every .cpp and .h under the source tree but the build trees.
# Usage: formato.sh <source dir> [clang-format program]
set -euo pipefail
cd "$1"
clang_format=${2:-clang-format}

archivos=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    while IFS= read -r archivo; do
        # A file deleted from the work tree but still in the index has nothing to check.
        [ -f "$archivo" ] && archivos+=("$archivo")
    done < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
    while IFS= read -r archivo; do
        archivos+=("$archivo")
    done < <(find . \( -path './build*' -o -path './.git' \) -prune -o \
                  -type f \( -name '*.cpp' -o -name '*.h' \) -print)
fi

if [ ${#archivos[@]} -eq 0 ]; then
    echo "formato: no C++ files found under $1" >&2
    exit 1
fi
"$clang_format" --dry-run --Werror "${archivos[@]}"
echo "formato: ${#archivos[@]} files as clang-format leaves them"
