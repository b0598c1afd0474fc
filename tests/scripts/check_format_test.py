"""scripts/check-format.sh on a small tree of its own (a copy of the script
and of the tree's .clang-format, no git): it passes a formatted tree, names
and fails on a file the formatter would change, leaves build folders out,
formats with FIX=1, and is skipped (77) when the formatter it is given is
not clang-format 14."""
import os
import shutil
import subprocess
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

FORMATTED = "int f(int a) { return a + 1; }\n"
UNFORMATTED = "int f(int a) {return a+1;}\n"


def formatter():
    for c in ("clang-format-14", "clang-format"):
        p = shutil.which(c)
        if p and "version 14." in subprocess.run([p, "--version"], stdout=subprocess.PIPE,
                                                 text=True).stdout:
            return p
    return None


class CheckFormatTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="brevane-format-")
        os.makedirs(os.path.join(self.tmp, "scripts"))
        shutil.copy(os.path.join(ROOT, "scripts", "check-format.sh"), os.path.join(self.tmp, "scripts"))
        shutil.copy(os.path.join(ROOT, ".clang-format"), self.tmp)
        self.write("src/a/one.cpp", FORMATTED)
        self.write("src/a/one.h", "#pragma once\nint f(int a);\n")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def write(self, rel, text):
        path = os.path.join(self.tmp, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)

    def read(self, rel):
        with open(os.path.join(self.tmp, rel)) as f:
            return f.read()

    def check(self, **env):
        e = dict(os.environ, GIT_CEILING_DIRECTORIES=os.path.dirname(self.tmp))
        e.update(env)
        return subprocess.run([os.path.join(self.tmp, "scripts", "check-format.sh")], env=e,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=60)

    def test_formatted_unformatted_fixed(self):
        if formatter() is None:
            self.skipTest("no clang-format 14")
        r = self.check()
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("2 files formatted", r.stdout)
        # A file the formatter would change fails the check, by name; an
        # unformatted file in a build folder does not count.
        self.write("tests/b/two_test.cpp", UNFORMATTED)
        self.write("build-x/gen.cpp", UNFORMATTED)
        r = self.check()
        self.assertEqual(r.returncode, 1)
        self.assertIn("not formatted: tests/b/two_test.cpp", r.stderr)
        self.assertNotIn("one.cpp", r.stderr)
        self.assertNotIn("build-x", r.stderr)
        self.assertIn("1 of 3 files", r.stderr)
        # FIX=1 formats it; the check passes then.
        r = self.check(FIX="1")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.read("tests/b/two_test.cpp"), FORMATTED)
        self.assertEqual(self.read("build-x/gen.cpp"), UNFORMATTED)
        self.assertEqual(self.check().returncode, 0)

    def test_skipped_without_clang_format_14(self):
        # CLANG_FORMAT names a formatter of another version.
        fake = os.path.join(self.tmp, "fake-format")
        with open(fake, "w") as f:
            f.write("#!/bin/sh\necho 'clang-format version 15.0.7'\n")
        os.chmod(fake, 0o755)
        r = self.check(CLANG_FORMAT=fake)
        self.assertEqual(r.returncode, 77, r.stdout + r.stderr)
        self.assertIn("no clang-format 14", r.stderr)

if __name__ == "__main__":
    unittest.main()
