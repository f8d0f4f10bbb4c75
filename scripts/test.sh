#!/usr/bin/env bash
# Runs every test: builds the portable core and its unit tests on the host, the native Linux
# viewer, and cross-builds the Windows viewer; then runs the unit tests, a short fuzzing run of
# the .x loader and the end-to-end scenarios against both viewers (the native one directly, the
# .exe under Wine, each on a virtual X display). Installs the Debian packages it is missing
# first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build native xtools wine

cmake --preset host
cmake --build --preset host
cmake --preset linux
cmake --build --preset linux
cmake --preset windows
cmake --build --preset windows

ctest --preset host
scripts/fuzz-xfile.sh 20 >build/fuzz-smoke.log 2>&1 || { tail -40 build/fuzz-smoke.log; exit 1; }
ctest --preset linux
ctest --preset windows
