#!/usr/bin/env bash
# Counts non-blank, non-comment lines of the tracked files: code (src/, tools/, scripts/) and
# tests (everything under tests/, the end-to-end harness included), and their ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files src tools scripts tests | python3 -c '
import re, sys
code = tests = 0
for path in sys.stdin.read().split():
    if not re.search(r"(\.(c|cc|cpp|h|hpp|py|sh|cmake)|CMakeLists\.txt)$", path):
        continue
    hash_comments = path.endswith((".py", ".sh", ".cmake", ".txt"))
    lines, in_block, in_doc = 0, False, False
    for raw in open(path, encoding="utf-8", errors="replace"):
        s = raw.strip()
        if hash_comments:
            if path.endswith(".py") and (s.startswith(("\"\"\"", "r\"\"\"")) or in_doc):
                quotes = s.count("\"\"\"")
                in_doc = in_doc != (quotes % 2 == 1)
                continue
            if s and not s.startswith("#"):
                lines += 1
            continue
        if in_block:
            in_block = "*/" not in s
            continue
        if s.startswith("/*"):
            in_block = "*/" not in s
            continue
        if s and not s.startswith("//"):
            lines += 1
    if path.startswith("tests/"):
        tests += lines
    else:
        code += lines
print("code %d lines, tests %d lines, tests/code %.2f" % (code, tests, tests / max(code, 1)))
'
