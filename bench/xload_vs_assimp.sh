#!/usr/bin/env bash
# Times our .x loader beside Assimp's reader, cold, in a fresh process for each load, the two in
# turn (bench/xload_vs_assimp.cpp says how and against which aims). Needs Debian's libassimp-dev
# (scripts/install-deps.sh bench), for this comparison only.
#   bench/xload_vs_assimp.sh [--public DIR] [FILE.x ...]
# Without files it times the large files that bench/make_large_x.py writes into build/bench
# (written once): a 1,000,000-triangle mesh as text, binary, binary with 64-bit floats,
# compressed, and binary with a normal per triangle. --public DIR adds every .x file under DIR,
# held to the ratio aim; by default $XFILES, or ../shared/xfiles, when it is there.
set -euo pipefail
cd "$(dirname "$0")/.."

out=build/bench
public=${XFILES:-../shared/xfiles}
if [ "${1:-}" = --public ]; then
    public=$2
    shift 2
fi
mkdir -p "$out"
g++ -std=c++20 -O3 -DNDEBUG -Wall -Wextra -Werror -Isrc bench/xload_vs_assimp.cpp src/xfile/*.cpp \
    src/platform/sdl/posix_mapped_file.cpp -lassimp -lz -o "$out/xload_vs_assimp"

files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    [ -f "$out/faceted.bin.x" ] || nice python3 bench/make_large_x.py --out "$out"
    files=("$out"/grid.txt.x "$out"/grid.bin.x "$out"/grid64.bin.x "$out"/grid.tzip.x
        "$out"/grid.bzip.x "$out"/faceted.bin.x)
fi
publicArgs=()
if [ -d "$public" ]; then
    publicArgs=(--public "$public")
else
    echo "xload_vs_assimp.sh: no public files: $public is not a folder (--public DIR or XFILES)" >&2
fi
exec "$out/xload_vs_assimp" "${publicArgs[@]}" "${files[@]}"
