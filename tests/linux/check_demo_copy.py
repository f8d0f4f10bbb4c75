"""viewer-demo's copy of the demo scene, with a stand-in viewer that notes where and how it was
started: concurrent first starts, the move from the old place, files put back, failures.

    python3 tests/linux/check_demo_copy.py packaging/linux/viewer-demo.sh assets/demo
"""

import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

CAPTURES = "抜き取り画像保存フォルダ"


class DemoCopy(unittest.TestCase):

    def setUp(self):
        """An install tree (bin/viewer-demo, a stand-in bin/viewer that notes each start,
        share/viewer/demo) and a fresh home whose xdg-user-dir answers self.pictures."""
        self.root = tempfile.mkdtemp(prefix="viewer-demo-")
        self.addCleanup(shutil.rmtree, self.root, True)
        self.scene = os.path.join(self.root, "share", "viewer", "demo")
        shutil.copytree(scene, self.scene, ignore=shutil.ignore_patterns(CAPTURES))
        for folder in ("bin", "tools"):
            os.mkdir(os.path.join(self.root, folder))
        shutil.copy(script, os.path.join(self.root, "bin", "viewer-demo"))
        for name, text in {"tools/xdg-user-dir": 'echo "$PICTURES"',
                           "bin/viewer": 'echo "$PWD|$*|${VIEWER_DEMO_FAILURE:-}" > "$STARTS/$$"'
                           }.items():
            with open(os.path.join(self.root, name), "w") as f:
                f.write("#!/bin/sh\n" + text + "\n")
            os.chmod(os.path.join(self.root, name), 0o755)
        self.home, self.starts = os.path.join(self.root, "home"), os.path.join(self.root, "starts")
        os.mkdir(self.home), os.mkdir(self.starts)
        self.pictures = os.path.join(self.home, "Bilder")
        self.copy = os.path.join(self.pictures, "ビューア")
        self.old_copy = os.path.join(self.home, ".local", "share", "viewer", "demo")

    def start(self, *args, count=1):
        """Starts viewer-demo count times at once; returns their exit codes and standard
        errors, and the stand-in viewers' notes (working folder, arguments, failure)."""
        env = dict(os.environ, HOME=self.home, PICTURES=self.pictures, STARTS=self.starts,
                   PATH=os.path.join(self.root, "tools") + os.pathsep + os.environ["PATH"])
        env.pop("XDG_DATA_HOME", None)
        starts = [subprocess.Popen([os.path.join(self.root, "bin", "viewer-demo"), *args],
                                   env=env, cwd=self.home, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, text=True) for _ in range(count)]
        codes = [(p.wait(60), p.communicate()[1]) for p in starts]
        notes = []
        for name in os.listdir(self.starts):
            with open(os.path.join(self.starts, name)) as f:
                notes.append(tuple(f.read().rstrip("\n").split("|")))
            os.remove(os.path.join(self.starts, name))
        return codes, notes

    def add_captures(self, folder, *names):
        os.mkdir(os.path.join(folder, CAPTURES))
        for name in names:
            open(os.path.join(folder, CAPTURES, name), "w").close()

    def assert_whole_copy(self, *captures):
        self.assertEqual(["ビューア"], os.listdir(os.path.dirname(self.copy)), "nothing beside")
        names = os.listdir(self.scene)
        self.assertEqual(sorted(names + [CAPTURES] * bool(captures)), sorted(os.listdir(self.copy)))
        self.assertEqual(([], []), filecmp.cmpfiles(self.scene, self.copy, names, False)[1:])
        if captures:
            self.assertEqual(sorted(captures), sorted(os.listdir(os.path.join(self.copy,
                                                                              CAPTURES))))

    def test_five_starts_at_once_move_the_old_copy_with_its_captures(self):
        shutil.copytree(self.scene, self.old_copy)
        self.add_captures(self.old_copy, "1.bmp", "2.bmp")
        self.pictures = self.home  # no pictures folder configured: ~/Pictures
        self.copy = os.path.join(self.home, "Pictures", "ビューア")
        self.assertEqual([(self.copy, "", "")] * 5, self.start(count=5)[1])
        self.assert_whole_copy("1.bmp", "2.bmp")
        self.assertFalse(os.path.exists(self.old_copy))

    def test_five_first_starts_make_one_whole_copy_the_next_puts_back_files_keeps_captures(self):
        self.assertEqual(([(0, "")] * 5, [(self.copy, "--menu", "")] * 5),
                         self.start("--menu", count=5))
        self.assert_whole_copy()
        os.remove(os.path.join(self.copy, "model.x"))
        with open(os.path.join(self.scene, "kabe.x"), "a") as f:
            f.write("\n")  # the package's newer version
        self.add_captures(self.copy, "1.bmp")
        self.start()
        self.assert_whole_copy("1.bmp")

    def test_a_copy_that_cannot_be_made_is_reported_the_viewer_way(self):
        open(self.pictures, "w").close()  # a file where a folder goes
        (code, said), = self.start()[0]
        self.assertEqual(1, code)
        self.assertRegex(said, r"^viewer: cannot start: viewer-demo cannot make .*\n$")
        _, notes = self.start("--menu")
        self.assertEqual([(self.home, "--menu", said.split(": ", 2)[2].strip())], notes)


if __name__ == "__main__":
    script, scene = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)
