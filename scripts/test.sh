#!/usr/bin/env bash
# Runs every test: builds the native Linux viewer with the portable core and its unit tests, and
# cross-builds the Windows viewer; then runs the unit tests, a short fuzzing run of the .x
# loader, and the end-to-end scenarios against both viewers (the native one directly, the .exe
# under Wine, each on a virtual X display). Installs the Debian packages it is missing first.
# Says how long each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."

timed() {
    local start=$SECONDS
    "$@"
    echo "test.sh: $((SECONDS - start)) s for: $*"
}

fuzz_smoke() {
    scripts/fuzz-xfile.sh 20 >build/fuzz-smoke.log 2>&1 || { tail -40 build/fuzz-smoke.log; exit 1; }
}

scripts/install-deps.sh build native xtools wine

timed cmake --preset linux
timed cmake --build --preset linux
timed cmake --preset windows
timed cmake --build --preset windows

timed ctest --preset unit
timed fuzz_smoke
timed ctest --preset linux --label-exclude unit
timed ctest --preset windows
