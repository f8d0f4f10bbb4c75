"""Runs scripts/install-deps.sh as on a distribution without apt-get (a PATH without it and
without dpkg-query): what is installed lets it pass without installing anything, and what is
missing is named, by pkg-config module, command or font, with its Debian package.

    python3 check_install_deps.py scripts/install-deps.sh
"""

import os
import subprocess
import sys
import tempfile
import unittest

script = None


def path_without_package_tools(folder):
    """A folder of links to every command on PATH but apt-get and dpkg-query."""
    os.mkdir(folder)
    for directory in os.environ["PATH"].split(os.pathsep):
        if not os.path.isdir(directory):
            continue
        for name in os.listdir(directory):
            link = os.path.join(folder, name)
            if name in ("apt-get", "dpkg-query") or os.path.lexists(link):
                continue
            os.symlink(os.path.join(directory, name), link)
    return folder


class WithoutApt(unittest.TestCase):

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory(prefix="viewer-noapt-")
        self.addCleanup(self.folder.cleanup)
        self.bin = path_without_package_tools(os.path.join(self.folder.name, "bin"))

    def run_script(self, groups, **env):
        return subprocess.run(["bash", script] + groups, capture_output=True, text=True,
                              env=dict(os.environ, PATH=self.bin, **env))

    def test_everything_present_passes_without_installing(self):
        result = self.run_script(["cxx", "native"])
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertNotIn("installing", result.stdout)

    def test_missing_libraries_and_font_are_named_not_a_missing_command(self):
        empty = os.path.join(self.folder.name, "nothing")  # no such folder: no modules, no fonts
        fonts = os.path.join(self.folder.name, "fonts.conf")
        with open(fonts, "w") as f:
            f.write("<fontconfig><dir>%s</dir><cachedir>%s</cachedir></fontconfig>"
                    % (empty, os.path.join(self.folder.name, "cache")))
        result = self.run_script(["cxx", "native"], PKG_CONFIG_LIBDIR=empty,
                                 PKG_CONFIG_PATH="", FONTCONFIG_FILE=fonts)
        self.assertEqual(result.returncode, 1, result.stderr)
        for named in ("pkg-config module sdl2 (libsdl2-dev)", "pkg-config module stb (libstb-dev)",
                      "fonts-ipafont-gothic"):
            self.assertIn(named, result.stderr)
        self.assertNotIn("cmake", result.stderr)


def main():
    global script
    script = os.path.abspath(sys.argv[1])
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
