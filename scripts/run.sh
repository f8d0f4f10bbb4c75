#!/usr/bin/env bash
# Builds the Windows viewer and starts it under Wine on the demo scene (assets/demo, where its
# captures land too). With no X display it runs once on a virtual one instead: one capture, one
# screenshot, then it quits and says where they are. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

scripts/install-deps.sh build wine
cmake --preset windows
cmake --build --preset windows
exe="$top/build/windows/viewer.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export WINEPREFIX="${WINEPREFIX:-$HOME/.local/share/viewer-wine}"
    export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree=;mshtml="
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    echo "Starting the viewer on $DISPLAY (Wine prefix $WINEPREFIX; the first start takes a while)."
    cd assets/demo
    exec wine "$exe"
fi

echo "No X display: running the viewer once on a virtual display."
exec /usr/bin/python3 scripts/headless_run.py --exe "$exe" --scene assets/demo \
    --out "$top/build/first-run"
