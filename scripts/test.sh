#!/usr/bin/env bash
# Runs every test: builds the portable core and its unit tests on the host, cross-builds the
# Windows viewer, then runs the unit tests, a short fuzzing run of the .x loader and the
# end-to-end scenarios (the .exe under Wine on a virtual X display). Installs the Debian
# packages it is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build wine

cmake --preset host
cmake --build --preset host
cmake --preset windows
cmake --build --preset windows

ctest --preset host
scripts/fuzz-xfile.sh 20 >build/fuzz-smoke.log 2>&1 || { tail -40 build/fuzz-smoke.log; exit 1; }
ctest --preset windows
