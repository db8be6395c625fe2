#!/usr/bin/env python3
"""The guard of the interception tables on copies of the engine's sources: the tree as it is passes,
and each kind of fault it must catch, put into a copy, fails it."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
CHECKER = os.path.join(ROOT, "scripts", "check_compat_table.py")
FOLDERS = ["platform", "glcompat", "core", "assets", "camera", "render", "parts", "shell", "modes"]


class InterceptionGuard(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.root = self.scratch.name
        for folder in FOLDERS:
            shutil.copytree(os.path.join(ROOT, folder), os.path.join(self.root, folder),
                            ignore=shutil.ignore_patterns("web", "*.js", "*.html"))

    def tearDown(self):
        self.scratch.cleanup()

    def edit(self, path, old, new):
        full = os.path.join(self.root, path)
        with open(full, encoding="utf-8") as source:
            text = source.read()
        self.assertIn(old, text, path)
        with open(full, "w", encoding="utf-8") as source:
            source.write(text.replace(old, new, 1))

    def check(self):
        result = subprocess.run([sys.executable, CHECKER, self.root], capture_output=True, text=True)
        return result.returncode, result.stdout

    def test_the_tree_as_it_is_passes_and_names_in_comments_and_strings_do_not_count(self):
        self.edit("glcompat/cube_faces.cpp", "void resetCubeFaces() {",
                  '// glTexParameteri(target, ...) would land here\nvoid resetCubeFaces() {\n'
                  '    (void)"glBindTexture(";')
        status, out = self.check()
        self.assertEqual(status, 0, out)

    def test_a_module_calling_a_taken_over_name_fails(self):
        self.edit("glcompat/texture_upload.cpp", "realGl.texParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER",
                  "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER")
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn("glcompat/texture_upload.cpp", out)
        self.assertIn("calls glTexParameteri", out)

    def test_a_call_to_a_name_the_redirect_takes_over_fails_too(self):
        self.edit("glcompat/cube_faces.cpp", "void resetCubeFaces() {",
                  "void resetCubeFaces() {\n    glBindFramebuffer(GL_FRAMEBUFFER, 0);")
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn("calls glBindFramebuffer", out)

    def test_an_entry_point_missing_from_the_table_fails(self):
        self.edit("glcompat/interceptions.h", "    X(glHint, compatHint, hint)                                                \\\n", "")
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn("stand-in compatHint is in no list", out)

    def test_a_slot_written_by_hand_fails(self):
        self.edit("shell/present.cpp", "static void installRedirect() {",
                  "static void installRedirect() {\n    glad_debug_glFlush = nullptr;")
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn("writes glad_debug_glFlush by hand", out)

    def test_a_stand_in_off_the_naming_scheme_fails(self):
        self.edit("glcompat/interceptions.h", "X(glBegin, compatBegin)", "X(glBegin, beginStandIn)")
        status, out = self.check()
        self.assertEqual(status, 1)
        self.assertIn("glBegin has stand-in beginStandIn", out)


if __name__ == "__main__":
    unittest.main()
