#!/usr/bin/env bash
# Builds the viewer and starts it on the demo scene (assets/demo, where its captures land too):
#   scripts/run.sh          the native Linux viewer (SDL2 and OpenGL)
#   scripts/run.sh --wine   the Windows viewer under Wine
# With no X display it runs once on a virtual one instead: one capture, one screenshot, then it
# quits and says where they are. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

has_display() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

run_headless() {
    echo "No X display: running the viewer once on a virtual display."
    exec /usr/bin/python3 scripts/headless_run.py --exe "$1" --scene assets/demo \
        --out "$top/build/first-run"
}

if [ "${1:-}" != "--wine" ]; then
    scripts/install-deps.sh build native xtools
    cmake --preset linux
    cmake --build --preset linux
    viewer="$top/build/linux/viewer"
    if has_display; then
        echo "Starting the viewer on $DISPLAY."
        cd assets/demo
        exec "$viewer"
    fi
    run_headless "$viewer"
fi

scripts/install-deps.sh build wine
cmake --preset windows
cmake --build --preset windows
exe="$top/build/windows/viewer.exe"

if has_display; then
    export WINEPREFIX="${WINEPREFIX:-$HOME/.local/share/viewer-wine}"
    export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree=;mshtml="
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    echo "Starting the viewer on $DISPLAY (Wine prefix $WINEPREFIX; the first start takes a while)."
    cd assets/demo
    exec wine "$exe"
fi
run_headless "$exe"
