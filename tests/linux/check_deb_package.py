"""Builds the native viewer's Debian package with CPack and checks it as a user would meet it:
the files it installs, the dependencies it declares, its menu entry, and the installed viewer
started from that entry's command on a virtual display, in the user's copy of the demo scene.
It also passes the checks a distribution makes: lintian, AppStream's validator and man.
Exit 77 when dpkg-deb, those checkers or the X tools are missing.

    python3 check_deb_package.py BUILD_DIR SCENE_DIR
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402

APP_ID = "org.viewer_project.viewer"  # names the menu entry, the icon and the metainfo


class DebPackage(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="viewer-deb-")
        cls.addClassCleanup(shutil.rmtree, cls.work, True)
        subprocess.run(["cpack", "-G", "DEB", "-B", cls.work, "--config",
                        os.path.join(build, "CPackConfig.cmake")], cwd=build, check=True,
                       stdout=subprocess.DEVNULL)
        debs = [n for n in os.listdir(cls.work) if n.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.work, debs[0])
        cls.root = os.path.join(cls.work, "root")
        subprocess.run(["dpkg-deb", "-x", cls.deb, cls.root], check=True)
        cls.desktop = os.path.join(cls.root, "usr/share/applications/%s.desktop" % APP_ID)
        with open(cls.desktop, encoding="utf-8") as f:  # its one group's key=value lines
            cls.entry = dict(line.strip().split("=", 1) for line in f if "=" in line)

    def test_passes_lintian_appstream_man_and_the_menu_entry_validator(self):
        """Info tags fail too: they hold the hardening, the strip and no empty folder."""
        lintian = subprocess.run(["lintian", "--pedantic", "--display-info", "--fail-on",
                                  "error,warning,info", self.deb], capture_output=True, text=True)
        self.assertEqual((lintian.returncode, lintian.stdout), (0, ""))
        metainfo = "usr/share/metainfo/%s.metainfo.xml" % APP_ID
        appstream = subprocess.run(["appstreamcli", "validate", "--pedantic", "--no-net",
                                    os.path.join(self.root, metainfo)], capture_output=True,
                                   text=True)
        self.assertEqual((appstream.returncode, appstream.stdout.strip()),
                         (0, "✔ Validation was successful."))
        for page in ("viewer.1.gz", "viewer-demo.1.gz"):
            man = subprocess.run(["man", "--warnings", "-l",
                                  os.path.join(self.root, "usr/share/man/man1", page)],
                                 capture_output=True, text=True,
                                 env=dict(os.environ, LC_ALL="C.UTF-8"))
            self.assertEqual(man.stderr, "")
            self.assertIn("EXIT STATUS", man.stdout)
        check = subprocess.run(["desktop-file-validate", self.desktop], capture_output=True,
                               text=True)
        self.assertEqual((check.returncode, check.stdout + check.stderr), (0, ""))

    def test_declares_its_dependencies_and_holds_the_menu_entry_s_icon(self):
        depends, architecture = subprocess.run(
            ["dpkg-deb", "-f", self.deb, "Depends", "Architecture"], check=True,
            capture_output=True, text=True).stdout.splitlines()
        for package in ("libsdl2-2.0-0", "libfontconfig1", "libfreetype6", "libepoxy0",
                        "libgl1", "fonts-ipafont-gothic"):
            self.assertIn(package, depends)
        self.assertEqual("Architecture: amd64", architecture)
        self.assertEqual(self.entry["Categories"].split(";")[:2], ["Graphics", "Viewer"])
        icon = "usr/share/icons/hicolor/scalable/apps/%s.svg" % self.entry["Icon"]
        self.assertTrue(os.path.isfile(os.path.join(self.root, icon)), icon)

    def test_menu_command_draws_the_demo_scene_from_a_copy_of_its_own(self):
        home = os.path.join(self.work, "home")
        program, *args = self.entry["Exec"].split()
        command = os.path.join(self.root, "usr/bin", program)
        built = harness.Session(self, scene, os.path.join(build, "viewer"))
        expected = built.start().picture()
        self.assertEqual(built.quit(), 0)
        installed = harness.Session(self, None, command, env={"HOME": home})
        picture = installed.start(args=args).picture()
        differences = [abs(x - y) for x, y in zip(picture.rgb, expected.rgb)]
        self.assertLess(sum(differences) / len(differences), 0.5, "mean difference")
        copy = os.path.join(home, "Pictures", "ビューア")  # no pictures folder configured
        shipped = os.path.join(self.root, "usr/share/viewer/demo")
        self.assertEqual(sorted(os.listdir(copy)), sorted(os.listdir(shipped)))

        captures = os.path.join(copy, harness.CAPTURE_FOLDER)
        installed.hold_until("Return", lambda: os.path.isdir(captures) and os.listdir(captures))
        window = harness.run(["xprop", "-id", str(installed.window), "WM_CLASS", "_NET_WM_ICON"],
                             installed.env).decode()
        self.assertIn('"%s"' % self.entry["StartupWMClass"], window)
        self.assertIn("Icon (64 x 64)", window)  # the icon's artwork at its own size
        self.assertEqual(installed.quit(), 0)


if __name__ == "__main__":
    build, scene = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    harness.run_cases(("dpkg-deb", "desktop-file-validate", "lintian", "appstreamcli", "man",
                       "xprop"), sys.argv[3:])
