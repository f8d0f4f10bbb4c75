#!/bin/sh
# Starts the installed viewer on the user's own copy of its demo scene, made on the first
# start. The viewer reads its scene from, and writes its captures into, the folder it is
# started in, and the installed scene is read-only.
set -eu
bin=$(dirname "$(readlink -f "$0")")
scene="$bin/../share/viewer/demo"
copy="${XDG_DATA_HOME:-$HOME/.local/share}/viewer/demo"
if [ ! -d "$copy" ]; then
    # Copied beside and renamed, so an interrupted copy never passes for a whole scene.
    mkdir -p "$(dirname "$copy")"
    rm -rf "$copy.partial"
    cp -R "$scene" "$copy.partial"
    mv "$copy.partial" "$copy"
fi
echo "Starting the viewer in $copy (its captures go there)."
cd "$copy"
exec "$bin/viewer"
