#!/usr/bin/env bash
# Fuzzes the .x loader with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
#   scripts/fuzz-xfile.sh SECONDS
# Builds build/fuzz/x_mesh_fuzz with clang++, seeds the corpus (build/fuzz/corpus, kept between
# runs) with our fixtures, and fuzzes for SECONDS. A crash leaves its input as
# build/fuzz/crash-*; keep it under tests/xfile/regressions/ once fixed. Ends non-zero on a
# finding.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: scripts/fuzz-xfile.sh SECONDS}
out=build/fuzz
mkdir -p "$out/corpus"

sources=(tests/fuzz/x_mesh_fuzz.cpp src/xfile/*.cpp)
binary=$out/x_mesh_fuzz
if [ ! -x "$binary" ] || [ -n "$(find "${sources[@]}" src/xfile/*.h -newer "$binary")" ]; then
    clang++ -std=c++20 -g -O1 -Wall -Wextra -Werror -Isrc \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        "${sources[@]}" -o "$binary"
fi

cp -n tests/xfile/fixtures/*.x tests/xfile/regressions/* "$out/corpus/" 2>/dev/null || true
exec "$binary" "$out/corpus" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -dict=tests/fuzz/x_tokens.dict -artifact_prefix="$out/" -print_final_stats=1
