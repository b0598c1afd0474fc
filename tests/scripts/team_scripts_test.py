"""start.sh and kill.sh against a stand-in server, and the refusals of
start.sh, kill.sh and match.sh, without the real soccer server."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import fake_server  # noqa: E402
from script_runs import ROOT, live, read_record, run, wait_for_status  # noqa: E402

sys.path.insert(0, os.path.join(ROOT, "scripts"))
import simserver  # noqa: E402


class TeamScriptsTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="brevane-team-")
        self.env = {"BREVANE_LOGS": self.tmp}
        self.sleepers = []

    def tearDown(self):
        # Whatever a failed test left running of its own.
        for path in os.listdir(self.tmp):
            if path.endswith(".pids"):
                run("kill.sh", path[:-5], env=self.env)
        for p in self.sleepers:
            p.kill()
            p.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def test_start_refuse_a_second_start_kill(self):
        server = fake_server.FakeServer()
        try:
            env = dict(self.env, BREVANE_PLAYERS="2")
            r = run("start.sh", server.host, "TeamA", env=env)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
            self.assertIn("started 2 players of TeamA", r.stdout)
            record = read_record(self.tmp, "TeamA")
            self.assertEqual(sorted(record), [1, 2])
            for n, (pid, log) in record.items():
                with open("/proc/%d/cmdline" % pid) as f:
                    argv = f.read().split("\0")
                self.assertTrue(argv[0].endswith("/brevane"), argv)
                self.assertIn("--team=TeamA", argv)
                self.assertIn("--num=%d" % n, argv)
                self.assertIn("--host=" + server.host, argv)
                self.assertTrue(os.path.exists(log))
            with server.lock:
                self.assertEqual(sorted(server.inits),
                                 ["(init (unum 1)(teamname TeamA))", "(init (unum 2)(teamname TeamA))"])

            with open(os.path.join(self.tmp, "TeamA.pids")) as f:
                before = f.read()
            r = run("start.sh", server.host, "TeamA", env=env)
            self.assertEqual(r.returncode, 1)
            self.assertIn("already running", r.stderr)
            with open(os.path.join(self.tmp, "TeamA.pids")) as f:
                self.assertEqual(f.read(), before)
            self.assertEqual(server.connections, 2)

            r = run("kill.sh", "TeamA", env=self.env)
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertIn("stopped 2 players of TeamA", r.stdout)
            for n, (pid, log) in record.items():
                self.assertFalse(live(pid))
                # SIGINT: the player ends after its cycle, with status 0.
                self.assertEqual(wait_for_status(log), "0")
            self.assertFalse(os.path.exists(os.path.join(self.tmp, "TeamA.pids")))

            r = run("kill.sh", "TeamA", env=self.env)
            self.assertEqual(r.returncode, 1)
            self.assertIn("not running", r.stderr)
        finally:
            server.close()

    def test_no_server_reachable(self):
        host = fake_server.unused_loopback()
        r = run("start.sh", host, "TeamB", env=dict(self.env, BREVANE_PLAYERS="3"))
        self.assertEqual(r.returncode, 1)
        lines = [line for line in r.stderr.splitlines() if line.startswith("player ")]
        self.assertEqual(len(lines), 3, r.stderr)
        for n, line in enumerate(lines, 1):
            self.assertIn("player %d of TeamB ended (exit status 1)" % n, line)
            self.assertIn("connection failed", line)
            self.assertIn("player-%d.log" % n, line)
        self.assertFalse(os.path.exists(os.path.join(self.tmp, "TeamB.pids")))
        self.assertEqual(run("kill.sh", "TeamB", env=self.env).returncode, 1)

    def test_recorded_id_now_of_another_program_is_left_alone(self):
        sleeper = subprocess.Popen(["sleep", "60"])
        self.sleepers.append(sleeper)
        with open(os.path.join(self.tmp, "TeamC.pids"), "w") as f:
            f.write("1 %d %s/player-1.log\n" % (sleeper.pid, self.tmp))
        r = run("kill.sh", "TeamC", env=self.env)
        self.assertEqual(r.returncode, 1)
        self.assertIn("not running", r.stderr)
        time.sleep(0.05)
        self.assertIsNone(sleeper.poll())

    def test_bad_arguments(self):
        host = fake_server.unused_loopback()
        cases = [
            (("start.sh", host, "a/b"), {}),
            (("start.sh", host, "x y"), {}),
            (("start.sh", host, "T", "extra"), {}),
            (("start.sh", host, "T"), {"BREVANE_PLAYERS": "12"}),
            (("start.sh", host, "T"), {"BREVANE_PLAYERS": "0"}),
            (("start.sh", host, "T"), {"BREVANE_PROGRAM": "brevane-run"}),
            (("kill.sh", "T", "U"), {}),
            (("kill.sh", ".."), {}),
        ]
        for args, extra in cases:
            r = run(*args, env=dict(self.env, **extra))
            self.assertEqual(r.returncode, 2, (args, extra, r.stderr))
            self.assertTrue(r.stderr.strip(), args)
        self.assertEqual(os.listdir(self.tmp), [])


class MatchWithoutServerTest(unittest.TestCase):
    def test_says_what_it_looked_for(self):
        if simserver.listening("127.0.0.1", simserver.AGENT_PORT):
            self.skipTest("a server listens on 127.0.0.1:3100; match.sh would use it")
        path = "/usr/bin:/bin"
        if shutil.which("rcssserver3d", path=path):
            self.skipTest("rcssserver3d is on " + path)
        with tempfile.TemporaryDirectory() as tmp:
            r = run("match.sh", "--players", "1", env={
                "BREVANE_LOGS": tmp, "RCSSSERVER3D": "/nonexistent/sim", "PATH": path, "HOME": tmp})
            self.assertEqual(r.returncode, 2, r.stdout + r.stderr)
            self.assertIn("/nonexistent/sim/bin/rcssserver3d", r.stderr)
            self.assertIn("PATH", r.stderr)
            self.assertIn(os.path.join(tmp, ".cache/rcssserver3d/install/bin/rcssserver3d"), r.stderr)
            self.assertFalse(any(n.endswith(".pids") for n in os.listdir(tmp)))
            # How a newcomer gets a server: the package, the source build
            # into the folder where it is found, and where the README says more.
            for text in ("install rcssserver3d", "SimSpark", "spark, then rcssserver3d",
                         "with DIR=~/.cache/rcssserver3d/install it is found as it is",
                         "set RCSSSERVER3D=DIR, the folder that holds bin/rcssserver3d",
                         '"A soccer server" in README.md'):
                self.assertIn(text, r.stderr)
            # The build script beside this repository, only where it is.
            nearby = os.path.join(os.path.dirname(ROOT), "shared", "sim", "build-server.sh")
            self.assertEqual("build-server.sh" in r.stderr, os.path.exists(nearby), r.stderr)


if __name__ == "__main__":
    unittest.main()
