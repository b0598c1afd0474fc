"""How setup.sh and fuzz.sh install missing Debian packages: as root with
apt-get, as another user through sudo, and without sudo not at all but with
a message naming the packages. Every outside command they reach is a fake
in a folder of its own, the only one on PATH, so nothing is installed."""
import os
import stat
import subprocess
import tempfile
import unittest

from script_runs import ROOT

# The commands the scripts need before the packages are settled.
REAL = ("dirname", "grep")


def write_fake(folder, name, body):
    path = os.path.join(folder, name)
    with open(path, "w") as f:
        f.write("#!/bin/bash\n" + body + "\n")
    os.chmod(path, os.stat(path).st_mode | stat.S_IXUSR)


def fake_bin(folder, uid, missing, with_sudo):
    """A PATH folder: id prints uid, dpkg-query reports every package but
    missing installed, apt-get and sudo log their arguments to calls.log."""
    log = os.path.join(folder, "calls.log")
    for name in REAL:
        os.symlink(subprocess.check_output(["bash", "-c", "command -v " + name], text=True).strip(),
                   os.path.join(folder, name))
    write_fake(folder, "id", 'echo %d' % uid)
    write_fake(folder, "dpkg-query", '[ "${@: -1}" = %s ] && exit 1\necho "install ok installed"' % missing)
    write_fake(folder, "env", 'while [[ "$1" == *=* ]]; do shift; done\nexec "$@"')
    write_fake(folder, "apt-get", 'echo "apt-get $*" >> %s' % log)
    if with_sudo:
        write_fake(folder, "sudo", 'echo "sudo" >> %s\nexec "$@"' % log)
    return log


class InstallTest(unittest.TestCase):
    def run_script(self, script, uid, with_sudo, missing="libtinyxml2-dev"):
        with tempfile.TemporaryDirectory() as folder:
            log = fake_bin(folder, uid, missing, with_sudo)
            r = subprocess.run(["/bin/bash", os.path.join(ROOT, "scripts", script)], cwd=ROOT,
                               env={"PATH": folder, "HOME": folder, "SETUP_PACKAGES_ONLY": "1"},
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=60)
            calls = []
            if os.path.exists(log):
                with open(log) as f:
                    calls = f.read().splitlines()
        return r, calls

    def test_root_sudo_or_neither(self):
        install = "apt-get install -y -qq --no-install-recommends libtinyxml2-dev"
        cases = [
            # script, uid, sudo on PATH, exit status, calls
            ("setup.sh", 0, False, 0, ["apt-get update -qq", install]),
            ("setup.sh", 0, True, 0, ["apt-get update -qq", install]),
            ("setup.sh", 1000, True, 0, ["sudo", "apt-get update -qq", "sudo", install]),
            ("setup.sh", 1000, False, 1, []),
        ]
        for script, uid, with_sudo, status, calls in cases:
            with self.subTest(script=script, uid=uid, sudo=with_sudo):
                r, got = self.run_script(script, uid, with_sudo)
                self.assertEqual(r.returncode, status, r.stderr)
                self.assertEqual(got, calls)

    def test_without_sudo_names_the_packages_and_says_to_run_as_root(self):
        for script, missing in (("setup.sh", "libtinyxml2-dev"), ("fuzz.sh", "libclang-rt-14-dev")):
            with self.subTest(script=script):
                r, calls = self.run_script(script, 1000, False, missing)
                self.assertEqual(r.returncode, 1, r.stderr)
                self.assertEqual(calls, [])
                self.assertNotIn("command not found", r.stderr)
                self.assertIn("missing: " + missing + ".", r.stderr)
                self.assertIn("run scripts/%s as root" % script, r.stderr)

    def test_nothing_missing_installs_nothing(self):
        r, calls = self.run_script("setup.sh", 1000, False, missing="none-of-them")
        self.assertEqual((r.returncode, calls), (0, []), r.stderr)


if __name__ == "__main__":
    unittest.main()
