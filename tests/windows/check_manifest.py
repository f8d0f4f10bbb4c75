"""Reads the application manifest out of the viewer executable's resources (type 24, id 1)
and checks what Windows needs from it: per-monitor DPI awareness (v2, with the older forms as
fallbacks), common controls 6 and the supported-OS entries up to Windows 10/11.

    python3 check_manifest.py VIEWER_EXE WINDRES
"""

import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

RT_MANIFEST = 24
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def resource(exe, windres, type_id, name_id):
    """The bytes of the first resource (type_id, name_id) of the executable, or None: windres
    writes its resources as a .res file, a list of entries each with its sizes, its type and
    name (0xFFFF then the number, for numbered ones), and its data aligned to 4 bytes."""
    with tempfile.NamedTemporaryFile(suffix=".res") as out:
        if subprocess.run([windres, "-J", "coff", "-O", "res", "-i", exe, "-o", out.name]
                          ).returncode != 0:  # it says why: no resources at all, say
            return None
        res = out.read()
    at = 0
    while at + 16 <= len(res):
        size, header, *ids = struct.unpack_from("<IIHHHH", res, at)
        if ids == [0xFFFF, type_id, 0xFFFF, name_id]:
            return res[at + header:at + header + size]
        at += (header + size + 3) & ~3
    return None


def texts(root, local_name):
    return [e.text.strip() for e in root.iter() if e.tag.endswith("}" + local_name) and e.text]


def main():
    manifest = resource(sys.argv[1], sys.argv[2], RT_MANIFEST, 1)
    if manifest is None:
        print("no manifest resource (type 24, id 1) in " + sys.argv[1])
        return 1
    root = ET.fromstring(manifest)
    awareness = [a.strip() for t in texts(root, "dpiAwareness") for a in t.split(",")]
    controls = [e.get("version") for e in root.iter() if e.tag.endswith("}assemblyIdentity")
                and e.get("name") == "Microsoft.Windows.Common-Controls"]
    systems = {e.get("Id", "").lower() for e in root.iter() if e.tag.endswith("}supportedOS")}
    problems = [problem for problem, holds in [
        ("dpiAwareness is %r, not PerMonitorV2 then PerMonitor" % awareness,
         awareness[:2] == ["PerMonitorV2", "PerMonitor"]),
        ("dpiAware is %r, not true/pm" % texts(root, "dpiAware"),
         texts(root, "dpiAware") == ["true/pm"]),
        ("no dependency on common controls 6.0.0.0", controls[:1] == ["6.0.0.0"]),
        ("Windows 10/11 is not among the supported systems %s" % sorted(systems),
         WINDOWS_10 in systems)] if not holds]
    print("\n".join(problems) or "manifest: DPI %s, common controls 6, %d supported systems"
          % (", ".join(awareness), len(systems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
