#!/usr/bin/env bash
# Installs the Debian 12 packages the viewer's build and tests need, only those missing.
#   scripts/install-deps.sh cxx     CMake, make, g++, pkg-config, zlib
#   scripts/install-deps.sh native  SDL2, libepoxy, FreeType, fontconfig, stb, zlib, Mesa, font,
#                                   librsvg2-bin (draws the window's icon from its artwork), and
#                                   GoogleTest and Python for the tests its build tree holds
#   scripts/install-deps.sh cross   MinGW-w64 and its zlib, for the Windows viewer, and icoutils
#                                   (wrestool reads the executable's manifest)
#   scripts/install-deps.sh unit    GoogleTest, zlib (to write compressed test files), clang (to
#                                   fuzz the .x loader), lintian, appstream, desktop-file-utils
#                                   and man-db (to check the .deb)
#   scripts/install-deps.sh build   cxx, cross and unit together
#   scripts/install-deps.sh wine    Wine, Xvfb, xdotool, ImageMagick, Japanese locale and font
#   scripts/install-deps.sh xtools  Xvfb, xdotool, ImageMagick, the X libraries the harness calls
#                                   (Damage, XTest): a virtual display and its tools, setxkbmap
#                                   and a Mincho font for the native scenarios
#   scripts/install-deps.sh bench   Assimp, the reference reader bench/xload_vs_assimp.sh times
#                                   ours against; never needed by the build
# Needs root (or sudo) when something is missing. Where there is no apt-get (another
# distribution), or no way to become root, it installs nothing: it checks what is there by
# pkg-config modules, commands and fontconfig, and names what is missing.
set -euo pipefail

cxx_packages=(cmake make g++ pkg-config zlib1g-dev)
native_packages=(pkg-config libsdl2-dev libx11-dev libepoxy-dev libfreetype-dev libfontconfig-dev
    libstb-dev zlib1g-dev libgl1-mesa-dri fonts-ipafont-gothic librsvg2-bin libgtest-dev python3)
cross_packages=(g++-mingw-w64-x86-64 mingw-w64-x86-64-dev libz-mingw-w64-dev icoutils)
unit_packages=(libgtest-dev zlib1g-dev clang desktop-file-utils lintian appstream man-db)
wine_packages=(wine wine64 xvfb xdotool x11-utils imagemagick libx11-6 libxdamage1 libxtst6
    locales fonts-ipafont-gothic libgl1-mesa-dri python3)
xtools_packages=(xvfb xdotool x11-utils x11-xkb-utils imagemagick libx11-6 libxdamage1 libxtst6
    fonts-ipafont-mincho python3)
bench_packages=(g++ libassimp-dev python3)

# How each package shows itself without the Debian package database: "pc:" a pkg-config
# module, "cmd:" a command, "font:" a fontconfig language; "-" cannot be told from outside.
declare -A probes=(
    [cmake]=cmd:cmake [make]=cmd:make [g++]=cmd:g++ [pkg-config]=cmd:pkg-config
    [libsdl2-dev]=pc:sdl2 [libx11-dev]=pc:x11 [libepoxy-dev]=pc:epoxy
    [libfreetype-dev]=pc:freetype2 [libfontconfig-dev]=pc:fontconfig [libstb-dev]=pc:stb
    [zlib1g-dev]=pc:zlib [libgl1-mesa-dri]=- [fonts-ipafont-gothic]=font:ja
    [librsvg2-bin]=cmd:rsvg-convert
    [g++-mingw-w64-x86-64]=cmd:x86_64-w64-mingw32-g++ [mingw-w64-x86-64-dev]=- [libz-mingw-w64-dev]=-
    [icoutils]=cmd:wrestool
    [libgtest-dev]=pc:gtest [clang]=cmd:clang [desktop-file-utils]=cmd:desktop-file-validate
    [lintian]=cmd:lintian [appstream]=cmd:appstreamcli [man-db]=cmd:man
    [wine]=cmd:wine [wine64]=- [xvfb]=cmd:Xvfb [xdotool]=cmd:xdotool [x11-utils]=cmd:xwininfo
    [x11-xkb-utils]=cmd:setxkbmap [fonts-ipafont-mincho]=- [libx11-6]=- [libxdamage1]=-
    [libxtst6]=- [libassimp-dev]=pc:assimp
    [imagemagick]=cmd:import [locales]=- [python3]=cmd:python3
)

wanted=()
for group in "$@"; do
    case "$group" in
    cxx) wanted+=("${cxx_packages[@]}") ;;
    native) wanted+=("${native_packages[@]}") ;;
    cross) wanted+=("${cross_packages[@]}") ;;
    unit) wanted+=("${unit_packages[@]}") ;;
    build) wanted+=("${cxx_packages[@]}" "${cross_packages[@]}" "${unit_packages[@]}") ;;
    wine) wanted+=("${wine_packages[@]}") ;;
    xtools) wanted+=("${xtools_packages[@]}") ;;
    bench) wanted+=("${bench_packages[@]}") ;;
    *)
        echo "install-deps: unknown group '$group' (cxx, native, cross, unit, build, wine," \
            "xtools, bench)" >&2
        exit 2
        ;;
    esac
done

has_package_tools() {
    command -v apt-get >/dev/null && command -v dpkg-query >/dev/null
}

installed_package() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# What a package's probe finds, or why it finds nothing.
probe_missing() {
    local probe=${probes[$1]:--}
    case "$probe" in
    pc:*)
        command -v pkg-config >/dev/null && pkg-config --exists "${probe#pc:}" && return 1
        echo "pkg-config module ${probe#pc:} ($1)"
        ;;
    cmd:*)
        command -v "${probe#cmd:}" >/dev/null && return 1
        echo "command ${probe#cmd:} ($1)"
        ;;
    font:*)
        command -v fc-list >/dev/null && [ -n "$(fc-list ":lang=${probe#font:}" family)" ] &&
            return 1
        echo "a font for the language '${probe#font:}' ($1 or any Japanese font)"
        ;;
    *) return 1 ;;
    esac
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

can_be_root() {
    [ "$(id -u)" -eq 0 ] || command -v sudo >/dev/null
}

# Without the package tools nothing can be installed: name what is missing and stop there,
# so a machine that has it all builds on.
if ! has_package_tools; then
    missing=()
    for package in "${wanted[@]}"; do
        if what=$(probe_missing "$package"); then
            missing+=("$what")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "install-deps: no apt-get here to install what is missing; please install:" >&2
        printf '  %s\n' "${missing[@]}" | sort -u >&2
        exit 1
    fi
    exit 0
fi

missing=()
for package in "${wanted[@]}"; do
    if ! installed_package "$package"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    if ! can_be_root; then
        echo "install-deps: not root and no sudo; please install: ${missing[*]}" >&2
        exit 1
    fi
    echo "install-deps: installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        "${missing[@]}" >/dev/null
fi

# Wine runs the viewer under code page 932 only with a Japanese locale.
if [[ " $* " == *" wine "* ]] && ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "install-deps: generating the ja_JP.UTF-8 locale"
    as_root sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    as_root locale-gen >/dev/null
fi
