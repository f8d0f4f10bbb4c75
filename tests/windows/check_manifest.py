"""Reads the application manifest out of the viewer executable's resources (type 24, id 1)
and checks what Windows needs from it: per-monitor DPI awareness (v2, with the older forms as
fallbacks), common controls 6 and the supported-OS entries up to Windows 10/11.

    python3 check_manifest.py VIEWER_EXE
"""

import struct
import sys
import xml.etree.ElementTree as ET

RT_MANIFEST = 24
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def resource(pe, type_id, name_id):
    """The bytes of the first language of resource (type_id, name_id), or None."""
    header = struct.unpack_from("<I", pe, 0x3C)[0]
    count, optional_size = struct.unpack_from("<H12xH", pe, header + 6)
    sections = [struct.unpack_from("<8s4xI4xI", pe, header + 24 + optional_size + 40 * i)
                for i in range(count)]  # name, address in memory, place in the file
    found = [(rva, raw) for name, rva, raw in sections if name.rstrip(b"\0") == b".rsrc"]
    if not found:
        return None
    rva, raw = found[0]

    def entry(directory, ident):
        """What the entry ident (any entry if None) of a directory leads to, or None: with the
        high bit set a subdirectory, else the data's place and size."""
        named, numbered = struct.unpack_from("<HH", pe, raw + directory + 12)
        entries = [struct.unpack_from("<II", pe, raw + directory + 16 + 8 * i)
                   for i in range(named + numbered)]
        return next((target for name, target in entries if ident in (None, name)), None)
    names = entry(0, type_id)
    languages = entry(names & 0x7FFFFFFF, name_id) if names and names >> 31 else None
    if not languages or not languages >> 31:
        return None
    data_rva, size = struct.unpack_from("<II", pe, raw + entry(languages & 0x7FFFFFFF, None))
    return pe[raw + data_rva - rva:raw + data_rva - rva + size]


def texts(root, local_name):
    return [e.text.strip() for e in root.iter() if e.tag.endswith("}" + local_name) and e.text]


def main():
    with open(sys.argv[1], "rb") as f:
        manifest = resource(f.read(), RT_MANIFEST, 1)
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
