#!/usr/bin/env bash
# Times our .x loader beside Assimp's reader (median of five loads each) on the files given, or
# by default on the public files in ../shared/xfiles and the large files that
# bench/make_large_x.py writes into build/bench. Needs Debian's libassimp-dev, for this
# comparison only.
#   bench/xload_vs_assimp.sh [FILE.x ...]
set -euo pipefail
cd "$(dirname "$0")/.."

out=build/bench
mkdir -p "$out"
g++ -std=c++20 -O3 -DNDEBUG -Wall -Wextra -Werror -Isrc bench/xload_vs_assimp.cpp src/xfile/*.cpp \
    -lassimp -o "$out/xload_vs_assimp"

files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    [ -f "$out/blanks-1g.tzip.x" ] || python3 bench/make_large_x.py --out "$out"
    mapfile -t files < <(find ../shared/xfiles -iname '*.x' | sort)
    files+=("$out"/grid.txt.x "$out"/grid.bin.x "$out"/grid.tzip.x "$out"/grid.bzip.x
        "$out"/blanks-1g.tzip.x)
fi
exec "$out/xload_vs_assimp" "${files[@]}"
