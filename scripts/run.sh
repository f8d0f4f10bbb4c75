#!/usr/bin/env bash
# Builds the viewer and starts it on the demo scene (assets/demo, where its captures land too):
#   scripts/run.sh          the native Linux viewer (SDL2 and OpenGL), on X11 or Wayland
#   scripts/run.sh --wine   the Windows viewer under Wine, on X11 (XWayland under Wayland)
# With no display it runs once on a virtual one instead: one capture, one screenshot, then it
# quits and says where they are. Installs the missing Debian packages each path needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

has_x_display() {
    [ -n "${DISPLAY:-}" ] || return 1
    # Without xdpyinfo (x11-utils is only needed for the virtual display) the name is trusted.
    ! command -v xdpyinfo >/dev/null || xdpyinfo >/dev/null 2>&1
}

# A Wayland display is a socket named by WAYLAND_DISPLAY, relative to XDG_RUNTIME_DIR.
has_wayland_display() {
    local name=${WAYLAND_DISPLAY:-}
    [ -n "$name" ] || return 1
    [[ "$name" == /* ]] || name="${XDG_RUNTIME_DIR:-/nonexistent}/$name"
    [ -S "$name" ]
}

run_headless() {
    echo "No display: running the viewer once on a virtual display."
    scripts/install-deps.sh xtools
    exec /usr/bin/python3 scripts/headless_run.py --exe "$1" --scene assets/demo \
        --out "$top/build/first-run"
}

if [ "${1:-}" != "--wine" ]; then
    scripts/install-deps.sh cxx native
    cmake --preset linux
    cmake --build --preset linux --target viewer
    viewer="$top/build/linux/viewer"
    # SDL takes X11 where there is one (XWayland included) and Wayland otherwise.
    if has_x_display || has_wayland_display; then
        echo "Starting the viewer on ${DISPLAY:-$WAYLAND_DISPLAY}."
        cd assets/demo
        exec "$viewer"
    fi
    run_headless "$viewer"
fi

scripts/install-deps.sh cxx cross wine
cmake --preset windows
cmake --build --preset windows --target viewer
exe="$top/build/windows/viewer.exe"

if has_x_display; then
    export WINEPREFIX="${WINEPREFIX:-$HOME/.local/share/viewer-wine}"
    export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree=;mshtml="
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    echo "Starting the viewer on $DISPLAY (Wine prefix $WINEPREFIX; the first start takes a while)."
    cd assets/demo
    exec wine "$exe"
fi
run_headless "$exe"
