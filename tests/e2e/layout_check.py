#!/usr/bin/python3
"""layout_check.py -- a quick check, without a window, that the end-to-end scripts and the layout
the build made from the game's headers agree: every script loads with it, every global a script
reads by name is one the layout knows (and a scalar where it is read as one), and the harness
names a colour for every gem kind. A global renamed in the game fails the layout's build; one
named wrong in a script fails here, long before the end-to-end run would reach it.

    layout_check.py [unittest options]      (QUARZIL_E2E_LAYOUT names the layout module)
"""
import glob
import importlib
import os
import re
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import harness  # noqa: E402  (after the path is set)

LAYOUT = os.environ.get("QUARZIL_E2E_LAYOUT")
SCRIPTS = sorted(path for path in glob.glob(os.path.join(HERE, "*.py")) if not path.endswith("layout_check.py"))
# memory.value("name") reads a scalar; memory.fields("name", ...) an array of structs.
SCALAR_READ = re.compile(r"\.value\(\"(\w+)\"\)")
STRUCT_READ = re.compile(r"\.fields\(\"(\w+)\"")


class LayoutCheck(unittest.TestCase):
    maxDiff = None

    def test_every_script_loads_with_the_layout(self):
        for path in SCRIPTS:
            name = os.path.splitext(os.path.basename(path))[0]
            with self.subTest(script=name):
                importlib.import_module(name)

    def test_every_global_read_by_name_is_in_the_layout(self):
        unknown = []
        for path in SCRIPTS:
            with open(path) as file:
                text = file.read()
            for key in SCALAR_READ.findall(text):
                if key not in harness.layout.GLOBALS:
                    unknown.append("%s: %s is no global of the layout" % (os.path.basename(path), key))
                elif harness.layout.GLOBALS[key][2] is None:
                    unknown.append("%s: %s is read as a scalar, and is none" % (os.path.basename(path), key))
            for key in STRUCT_READ.findall(text):
                if key not in harness.layout.GLOBALS:
                    unknown.append("%s: %s is no global of the layout" % (os.path.basename(path), key))
        self.assertEqual(unknown, [], "expected every global read to be in %s" % os.environ.get("QUARZIL_E2E_LAYOUT"))

    @unittest.skipUnless(LAYOUT, "QUARZIL_E2E_LAYOUT names no layout made by a build")
    def test_the_copy_for_the_package_tests_is_the_build_s_layout(self):
        with open(LAYOUT) as file:
            made = file.read()
        with open(harness.LAYOUT_COPY) as file:
            kept = file.read()
        self.assertEqual(kept, made, "%s should be the layout the build made; copy %s over it"
                         % (harness.LAYOUT_COPY, LAYOUT))

    def test_every_gem_kind_has_a_colour(self):
        self.assertEqual(len(harness.KIND_COLOURS), harness.layout.GEM_KINDS,
                         "expected a colour name for every gem kind, got %s" % harness.KIND_COLOURS)


if __name__ == "__main__":
    unittest.main()
