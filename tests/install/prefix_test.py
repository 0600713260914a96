#!/usr/bin/python3
"""prefix_test.py -- builds the game as the README's install for one user does, with no option
but the build type and a scratch install prefix whose name holds a space, installs it there with
cmake --install, and plays the installed game: it must read its font and sounds from that
prefix. Configuring must not look for what only the tests and the benchmarks need (GoogleTest,
Google Benchmark, the end-to-end tests' Python), which are no build dependencies of the game.
Then, with the installed data folder moved away, the same game must still run but draw no text
and stay silent, which shows that the data it found was its own and not some other install's.

    prefix_test.py --cmake CMAKE --source SOURCE_DIR [unittest options]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import installed_game

cmake = None    # from the command line
source = None

# What the tests and the benchmarks look for, and a user install must not: CMake packages, and
# the cache entries that their lookups leave behind.
TEST_PACKAGES = ["GTest", "benchmark"]
TEST_CACHE_ENTRIES = ["GTest_DIR", "benchmark_DIR", "QUARZIL_E2E_PYTHON", "QUARZIL_VALGRIND", "APPSTREAMCLI"]


class ScratchPrefixTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="quarzil-prefix-")
        cls.prefix = os.path.join(cls.scratch, "a prefix")
        build = os.path.join(cls.scratch, "build")
        # The README's three commands. CMake refuses to disable a package that a find_package
        # call requires, so configuring fails if anything still requires the test tools.
        steps = [
            [cmake, "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
             "-DCMAKE_INSTALL_PREFIX=" + cls.prefix] + ["-DCMAKE_DISABLE_FIND_PACKAGE_%s=ON" % package
                                                         for package in TEST_PACKAGES],
            [cmake, "--build", build, "-j", "2"],
            [cmake, "--install", build],
        ]
        for step in steps:
            result = subprocess.run(step, capture_output=True, text=True)
            if result.returncode != 0:
                shutil.rmtree(cls.scratch, True)
                raise RuntimeError("%s failed:\n%s%s" % (" ".join(step), result.stdout, result.stderr))
        with open(os.path.join(build, "CMakeCache.txt")) as file:
            cls.cache = file.read()
        cls.binary = os.path.join(cls.prefix, "bin", "quarzil")
        cls.data = os.path.join(cls.prefix, "share", "quarzil", "data")
        installed_game.start_display()

    @classmethod
    def tearDownClass(cls):
        installed_game.stop_display()
        shutil.rmtree(cls.scratch, True)

    def test_configuring_looks_for_no_test_tool(self):
        looked_up = [entry for entry in TEST_CACHE_ENTRIES if "\n%s:" % entry in self.cache]
        self.assertEqual(looked_up, [], "test tools looked up by a configure with the README's options")

    def test_game_reads_the_data_folder_of_its_prefix(self):
        with open(self.binary, "rb") as file:
            self.assertIn(self.data.encode(), file.read(), "the data folder built into the game")
        seen = installed_game.look_and_listen(self, self.binary)
        self.assertEqual(seen["labels"], ["Score", "Level", "Moves"], "the score panel's words, drawn in the font")
        self.assertGreater(seen["loud samples"], 0, "loud samples recorded after the sound test keys")
        self.assertEqual(seen["status"], 0, "exit status after Escape; standard error: %s" % seen["stderr"])

    def test_without_its_data_folder_the_game_runs_without_text_and_sound(self):
        away = self.data + ".away"
        os.rename(self.data, away)
        self.addCleanup(os.rename, away, self.data)
        seen = installed_game.look_and_listen(self, self.binary, sound_timeout=3.0)
        self.assertEqual(seen["labels"], [], "words of the score panel without a font")
        self.assertEqual(seen["loud samples"], 0, "loud samples recorded without sounds")
        self.assertEqual(seen["status"], 0, "exit status after Escape; standard error: %s" % seen["stderr"])


def main():
    global cmake, source
    parser = argparse.ArgumentParser()
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--source", required=True)
    arguments, rest = parser.parse_known_args()
    cmake, source = arguments.cmake, arguments.source
    unittest.main(argv=sys.argv[:1] + rest, verbosity=2)


if __name__ == "__main__":
    main()
