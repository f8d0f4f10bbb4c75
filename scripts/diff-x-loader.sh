#!/usr/bin/env bash
# Compares our .x loader with D3DXLoadMeshFromX under Wine, fixture by fixture, and measures the
# load time of a 200,000-triangle model with both in one run.
#   scripts/diff-x-loader.sh [FILE.x ...]     (default: tests/xfile/fixtures/*.x)
# Needs the Windows build (build/windows/d3dx_probe.exe), Wine and Xvfb. Ends non-zero when the
# two disagree on a file that D3DX reads.
set -euo pipefail
cd "$(dirname "$0")/.."

probe=build/windows/d3dx_probe.exe
[ -x "$probe" ] || { cmake --preset windows >/dev/null && cmake --build --preset windows --target d3dx_probe; }

work=$(mktemp -d /tmp/x-loader-diff.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
# A display of our own, on the first free number; -noreset keeps it from dropping a program
# that connects just as the previous one leaves.
Xvfb -displayfd 3 -screen 0 640x480x24 -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
until [ -s "$work/display" ]; do sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

files=("$@")
[ ${#files[@]} -gt 0 ] || files=(tests/xfile/fixtures/*.x)
status=0
for file in "${files[@]}"; do
    wine "$probe" "$file" >"$work/d3dx.txt" 2>/dev/null || true
    wine "$probe" "$file" --ours >"$work/ours.txt" 2>/dev/null || true
    frames=$(grep -aq FrameTransformMatrix "$file" && echo --frames || true)
    printf '%-44s ' "$(basename "$file")"
    python3 tools/compare_x_dumps.py "$work/d3dx.txt" "$work/ours.txt" $frames | tr '\n' ' ' ||
        status=1
    echo
done

python3 tools/make_demo_scene.py --out "$work/heavy" --triangles 200000 >/dev/null
echo "200k-triangle model, mean of 3 loads under Wine:"
wine "$probe" "$work/heavy/model.x" --time 3 2>/dev/null
exit $status
