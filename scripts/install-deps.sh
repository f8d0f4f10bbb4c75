#!/usr/bin/env bash
# Installs the Debian 12 packages the viewer's build and tests need, only those missing.
#   scripts/install-deps.sh build   compilers, CMake, GoogleTest, MinGW-w64, zlib (to check our
#                                   inflater against), clang (to fuzz the .x loader)
#   scripts/install-deps.sh wine    Wine, Xvfb, xdotool, ImageMagick, Japanese locale and font
#   scripts/install-deps.sh native  SDL2, libepoxy, FreeType, fontconfig, stb, zlib, Mesa, font
#   scripts/install-deps.sh xtools  Xvfb, xdotool, ImageMagick, the X libraries the harness calls
#                                   (Damage, XTest): a virtual display and its tools
# Needs root (or sudo) when something is missing.
set -euo pipefail

build_packages=(cmake make g++ libgtest-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev zlib1g-dev
    clang)
wine_packages=(wine wine64 xvfb xdotool x11-utils imagemagick libx11-6 libxdamage1 libxtst6
    locales fonts-ipafont-gothic libgl1-mesa-dri python3)
native_packages=(pkg-config libsdl2-dev libx11-dev libepoxy-dev libfreetype-dev libfontconfig-dev
    libstb-dev zlib1g-dev libgl1-mesa-dri fonts-ipafont-gothic)
xtools_packages=(xvfb xdotool x11-utils imagemagick libx11-6 libxdamage1 libxtst6 python3)

wanted=()
for group in "$@"; do
    case "$group" in
    build) wanted+=("${build_packages[@]}") ;;
    wine) wanted+=("${wine_packages[@]}") ;;
    native) wanted+=("${native_packages[@]}") ;;
    xtools) wanted+=("${xtools_packages[@]}") ;;
    *) echo "install-deps: unknown group '$group' (build, wine, native, xtools)" >&2; exit 2 ;;
    esac
done

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
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
