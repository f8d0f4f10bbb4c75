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


def sections(pe):
    header = struct.unpack_from("<I", pe, 0x3C)[0]
    count, optional_size = struct.unpack_from("<H12xH", pe, header + 6)
    table = header + 24 + optional_size
    for i in range(count):
        name, size, rva, raw_size, raw = struct.unpack_from("<8sIIII", pe, table + 40 * i)
        yield name.rstrip(b"\0"), rva, raw


def resource(pe, type_id, name_id):
    """The bytes of the first language of resource (type_id, name_id), or None."""
    found = [(rva, raw) for name, rva, raw in sections(pe) if name == b".rsrc"]
    if not found:
        return None
    rva, raw = found[0]

    def entry(directory, ident):
        """The target of the entry ident (any entry if None) of a directory, or None."""
        named, numbered = struct.unpack_from("<HH", pe, raw + directory + 12)
        for i in range(named + numbered):
            entry, target = struct.unpack_from("<II", pe, raw + directory + 16 + 8 * i)
            if ident in (None, entry):
                return target
        return None
    # Type and name lead to subdirectories (the high bit set), the language to the data.
    names = entry(0, type_id)
    languages = entry(names & 0x7FFFFFFF, name_id) if names and names >> 31 else None
    if not languages or not languages >> 31:
        return None
    data_rva, size = struct.unpack_from("<II", pe, raw + entry(languages & 0x7FFFFFFF, None))
    start = raw + data_rva - rva
    return pe[start:start + size]


def texts(root, local_name):
    return [e.text.strip() for e in root.iter() if e.tag.endswith("}" + local_name) and e.text]


def main():
    with open(sys.argv[1], "rb") as f:
        manifest = resource(f.read(), RT_MANIFEST, 1)
    if manifest is None:
        print("no manifest resource (type 24, id 1) in " + sys.argv[1])
        return 1
    root = ET.fromstring(manifest)
    problems = []
    awareness = [a.strip() for t in texts(root, "dpiAwareness") for a in t.split(",")]
    if awareness[:2] != ["PerMonitorV2", "PerMonitor"]:
        problems.append("dpiAwareness is %r, not PerMonitorV2 then PerMonitor" % awareness)
    if texts(root, "dpiAware") != ["true/pm"]:
        problems.append("dpiAware is %r, not true/pm" % texts(root, "dpiAware"))
    controls = [e.attrib for e in root.iter() if e.tag.endswith("}assemblyIdentity")
                and e.attrib.get("name") == "Microsoft.Windows.Common-Controls"]
    if not controls or controls[0].get("version") != "6.0.0.0":
        problems.append("no dependency on common controls 6.0.0.0")
    systems = {e.attrib.get("Id", "").lower() for e in root.iter()
               if e.tag.endswith("}supportedOS")}
    if WINDOWS_10 not in systems:
        problems.append("Windows 10/11 is not among the supported systems %s" % sorted(systems))
    for problem in problems:
        print(problem)
    if not problems:
        print("manifest: DPI %s, common controls 6, %d supported systems"
              % (", ".join(awareness), len(systems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
