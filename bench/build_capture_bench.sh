#!/usr/bin/env bash
# Builds capture_timing.exe from the bench and the viewer's capture sources with MinGW-w64.
#   bench/build_capture_bench.sh OUTPUT.exe
set -euo pipefail
out="${1:?usage: build_capture_bench.sh OUTPUT.exe}"
root="$(cd "$(dirname "$0")/.." && pwd)"
x86_64-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -Werror \
    -finput-charset=UTF-8 -fexec-charset=CP932 -DWIN32_LEAN_AND_MEAN -DNOMINMAX \
    -I"$root/src" \
    "$root/bench/capture_timing.cpp" \
    "$root"/src/capture/*.cpp \
    "$root/src/state/viewer_state.cpp" \
    "$root/src/platform/d3d9/gdi_screen_grab.cpp" \
    "$root/src/platform/win32/win32_capture_files.cpp" \
    "$root/src/platform/win32/win32_code_page.cpp" \
    -mwindows -static -static-libgcc -static-libstdc++ -lgdi32 -luser32 \
    -o "$out"
