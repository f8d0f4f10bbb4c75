#!/usr/bin/env bash
# Builds the Windows viewer and starts it on the demo scene. Installs the Debian packages it is
# missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh build
cmake --preset windows
cmake --build --preset windows
echo "Built build/windows/viewer.exe. It opens no window yet; running it comes with the window."
