"""Reads the application manifest out of the viewer executable's resources (type 24, id 1)
and checks what Windows needs from it: per-monitor DPI awareness (v2, with the older forms as
fallbacks), common controls 6 and the supported-OS entries up to Windows 10/11.

    python3 check_manifest.py VIEWER_EXE

wrestool (icoutils) extracts the resource.
"""

import subprocess
import sys
import xml.etree.ElementTree as ET

WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def texts(root, local_name):
    return [e.text.strip() for e in root.iter() if e.tag.endswith("}" + local_name) and e.text]


def main():
    data = subprocess.run(["wrestool", "-x", "--raw", "--type=24", "--name=1", sys.argv[1]],
                          capture_output=True).stdout
    if not data:
        print("no manifest resource (type 24, id 1) in " + sys.argv[1])
        return 1
    root = ET.fromstring(data)
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
