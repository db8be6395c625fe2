#!/usr/bin/env python3
"""The layer guard on small trees: what it must reject, and that a tree in order passes."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "check_layers.py")


def run_checker(files):
    """Writes {path: [included paths]} into a scratch tree and runs the guard on it."""
    with tempfile.TemporaryDirectory() as root:
        for path, includes in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as source:
                source.writelines(f'#include "{included}"\n' for included in includes)
        result = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
        return result.returncode, result.stdout


class LayerGuard(unittest.TestCase):
    def test_tree_in_order_passes(self):
        status, out = run_checker({
            "platform/platform.h": [],
            "core/clock.cpp": ["core/clock.h", "platform/platform.h"],
            "core/clock.h": [],
            "assets/tga.cpp": ["core/clock.h"],
            "modes/main.cpp": ["assets/tga.h", "core/clock.h", "shell/show.h"],
            "shell/show.h": [],
        })
        self.assertEqual(status, 0, out)

    def test_base_kept_in_the_top_folder_is_two_layers(self):
        # The ground floor's diagnostics in shell/, used by assets/, which shell/ uses in turn.
        status, out = run_checker({
            "shell/diagnostics.h": [],
            "assets/tga.cpp": ["shell/diagnostics.h"],
            "assets/tga.h": [],
            "shell/loading.cpp": ["assets/tga.h"],
        })
        self.assertEqual(status, 1)
        self.assertIn("assets/tga.cpp:1: assets/ includes shell/diagnostics.h from shell/ above it", out)
        self.assertIn("folders include each other (assets -> shell -> assets)", out)

    def test_show_reaching_up_to_its_modes_fails(self):
        # The show's loop may not call into the modes built on it (the seek asking the capture).
        status, out = run_checker({
            "modes/capture.h": [],
            "shell/seek.cpp": ["modes/capture.h"],
        })
        self.assertEqual(status, 1)
        self.assertIn("shell/seek.cpp:1: shell/ includes modes/capture.h from modes/ above it", out)

    def test_modules_including_each_other_in_one_folder_fail(self):
        status, out = run_checker({
            "render/a.h": ["render/b.h"],
            "render/b.h": ["render/a.h"],
        })
        self.assertEqual(status, 1)
        self.assertIn("modules include each other: render/a -> render/b -> render/a", out)

    def test_sources_outside_every_layer_fail(self):
        status, out = run_checker({"engine/stray.cpp": [], "core/clock.h": []})
        self.assertEqual(status, 1)
        self.assertIn("engine/ holds sources but is no layer", out)

    def test_system_and_tool_includes_are_not_layers(self):
        status, out = run_checker({"core/gl_loader.cpp": ["glad/gl.h", "tests/helper.h"]})
        self.assertEqual(status, 0, out)


if __name__ == "__main__":
    unittest.main()
