#!/usr/bin/env bash
# Fuzzes the .x loader with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
#   scripts/fuzz-xfile.sh SECONDS [SEED_FOLDER ...]
# Builds build/fuzz/x_mesh_fuzz with clang++, seeds the corpus (build/fuzz/corpus, kept between
# runs) with our fixtures and the .x files found in the seed folders (copied into the corpus,
# never into the repository), each plain seed also in the target's compressed mode, and fuzzes
# for SECONDS with inputs up to 1 MiB, so that real files are seeds whole. A finding (a crash, a mesh that does not hold together, a refusal without a
# place, an input that takes over a minute) leaves its input as build/fuzz/crash-* or
# timeout-*; keep it under tests/xfile/regressions/ once fixed. Ends non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: scripts/fuzz-xfile.sh SECONDS [SEED_FOLDER ...]}
shift
out=build/fuzz
mkdir -p "$out/corpus"

sources=(tests/fuzz/x_mesh_fuzz.cpp src/xfile/*.cpp src/platform/sdl/posix_mapped_file.cpp
    src/gfx/mesh_check.cpp)
binary=$out/x_mesh_fuzz
if [ ! -x "$binary" ] || [ -n "$(find "${sources[@]}" src/xfile/*.h src/gfx/mesh_check.h tests/xfile/*.h -newer "$binary")" ]; then
    clang++ -std=c++20 -g -O1 -Wall -Wextra -Werror -Isrc \
        -Itests -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        "${sources[@]}" -lz -o "$binary"
fi

cp -n tests/xfile/fixtures/*.x tests/xfile/regressions/* "$out/corpus/" 2>/dev/null || true
for folder in "$@"; do
    find "$folder" -iname '*.x' -size -1025k -exec cp -n {} "$out/corpus/" \;
done
# Each plain seed once more behind a 'c': the target packs it into the compressed form.
for seed in "$out"/corpus/*; do
    name=$(basename "$seed")
    if [[ $name != c-* && ! -e $out/corpus/c-$name ]] && head -c 1 "$seed" | grep -q x &&
        ! head -c 16 "$seed" | grep -q zip; then
        { printf c; cat "$seed"; } >"$out/corpus/c-$name"
    fi
done
exec "$binary" "$out/corpus" -max_total_time="$seconds" -max_len=1048576 -rss_limit_mb=2048 \
    -timeout=60 \
    -dict=tests/fuzz/x_tokens.dict -artifact_prefix="$out/" -print_final_stats=1
