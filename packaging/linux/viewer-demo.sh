#!/bin/sh
# Starts the installed viewer on the user's own copy of its demo scene, in the folder ビューア
# of the user's pictures folder, where the captures are easy to find. The viewer reads its
# scene from, and writes its captures into, the folder it is started in, and the installed
# scene is read-only.
#
# Any number of starts may run at once (a double click on the menu entry): a whole copy is
# made in a private folder beside its place and renamed into place, so a start sees no copy
# or a whole one, and one that finds another's copy in place uses it. Each start puts back
# the demo's files that differ from the installed ones (updated by the package, or deleted);
# the captures are never touched. --menu (the menu entry's way) is handed on to the viewer,
# which then shows a failure in a message window as well.
set -eu
bin=$(dirname "$(readlink -f "$0")")
scene="$bin/../share/viewer/demo"
captures="抜き取り画像保存フォルダ"

menu=
if [ "${1:-}" = --menu ]; then
    menu=--menu
    shift
fi
if [ $# -gt 0 ]; then
    exec "$bin/viewer" "$@" # --help, --version: the viewer's own answers
fi

# The pictures folder, or ~/Pictures when none is configured (xdg-user-dir then answers the
# home folder itself) or xdg-user-dirs is not installed.
pictures_folder() {
    folder=$(xdg-user-dir PICTURES 2>/dev/null) || folder=
    if [ -z "$folder" ] || [ "$folder" = "$HOME" ]; then
        folder="$HOME/Pictures"
    fi
    printf '%s\n' "$folder"
}

copy="$(pictures_folder)/ビューア"
# Where the copy was kept before, captures included; moved to the new place once.
old_copy="${XDG_DATA_HOME:-$HOME/.local/share}/viewer/demo"

# Copies the folder $1 whole into a private folder beside the copy's place and renames it
# into place; the rename fails when another start's copy is there first, and that one is
# used. Fails only when the copy could not be made.
place_copy_of() {
    mkdir -p "$(dirname "$copy")" 2>/dev/null || return 1
    private=$(mktemp -d "$copy.XXXXXX" 2>/dev/null) || return 1
    if cp -R "$1" "$private/demo" 2>/dev/null; then
        mv -T "$private/demo" "$copy" 2>/dev/null || true
    fi
    rm -rf "$private"
    [ -d "$copy" ]
}

# Only a copy made whole from the old one can be in place while the old one is there (a
# fresh copy is made only when there was none), so the old one can go once one is in place;
# a start copying it at that moment fails, and uses the copy in place.
move_old_copy() {
    place_copy_of "$old_copy" || return 1
    rm -rf "$old_copy"
}

# Each of the demo's own files that differs from the installed one is replaced by a copy
# renamed over it, so a viewer started by another start never reads half a file. A file
# that cannot be put back is left as it is: the viewer shows what it finds.
refresh_copy() {
    (cd "$scene" && find . -path "./$captures" -prune -o -type f -print) | while read -r file; do
        if ! cmp -s "$scene/$file" "$copy/$file"; then
            mkdir -p "$(dirname "$copy/$file")" || continue
            fresh=$(mktemp "$copy/.fresh.XXXXXX") || continue
            if ! { cp "$scene/$file" "$fresh" && mv -f "$fresh" "$copy/$file"; }; then
                rm -f "$fresh"
            fi
        fi
    done
}

make_copy() {
    if [ ! -d "$copy" ] && [ -d "$old_copy" ]; then
        move_old_copy || return 1
    fi
    if [ ! -d "$copy" ]; then
        place_copy_of "$scene" || return 1
    fi
    refresh_copy
}

if ! make_copy; then
    failure="viewer-demo cannot make its copy of the demo scene in $copy"
    if [ -n "$menu" ]; then
        VIEWER_DEMO_FAILURE=$failure exec "$bin/viewer" --menu
    fi
    echo "viewer: cannot start: $failure" >&2
    exit 1
fi
echo "Starting the viewer in $copy (its captures go to $copy/$captures)."
cd "$copy"
exec "$bin/viewer" $menu
