#!/usr/bin/env bash
# Fails when the viewer executable imports a DLL that a fresh Windows does not have: it must
# carry its C++ runtime inside, so that only system DLLs are named; D3DX 9 is not one of
# them and is loaded at run time when present.
set -euo pipefail
exe="$1"
objdump="${OBJDUMP:-x86_64-w64-mingw32-objdump}"
imports=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports of $(basename "$exe"):" $imports
allowed='^(kernel32|user32|gdi32|shell32|ole32|msvcrt|d3d9|dinput8|advapi32)\.dll$'
unexpected=$(echo "$imports" | grep -v -E "$allowed" || true)
if [ -n "$unexpected" ]; then
    echo "unexpected DLL imports: $unexpected" >&2
    exit 1
fi
