"""Builds the Windows zip with CPack and checks that a user who unpacks it can start the
viewer: the executable, every file of the demo scene beside it, the capture folder and the
read-me, all in one top folder.

    python3 check_package.py BUILD_DIR SCENE_DIR
"""

import os
import subprocess
import sys
import zipfile


def main():
    build, scene = sys.argv[1], sys.argv[2]
    subprocess.run(["cpack", "--config", os.path.join(build, "CPackConfig.cmake")], cwd=build,
                   check=True, stdout=subprocess.DEVNULL)
    zips = [n for n in os.listdir(build) if n.startswith("viewer-") and n.endswith("-win64.zip")]
    assert len(zips) == 1, "expected one package, found %s" % zips
    top = zips[0][:-len(".zip")]
    with zipfile.ZipFile(os.path.join(build, zips[0])) as package:
        names = set(package.namelist())
    wanted = {"viewer.exe", "README.txt", "抜き取り画像保存フォルダ/"}
    wanted |= {n for n in os.listdir(scene) if os.path.isfile(os.path.join(scene, n))}
    missing = sorted(w for w in wanted if "%s/%s" % (top, w) not in names)
    assert not missing, "missing from %s: %s" % (zips[0], ", ".join(missing))
    print("%s holds %d entries, all that is needed" % (zips[0], len(names)))


if __name__ == "__main__":
    main()
