"""Finding the soccer server, its configuration copies and the port check,
without running a server."""
import os
import socket
import stat
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import simserver  # noqa: E402


def fake_install(top):
    """An install folder with an executable and the configuration files
    holding the settings a match must change."""
    os.makedirs(os.path.join(top, "bin"))
    binary = os.path.join(top, "bin", "rcssserver3d")
    with open(binary, "w") as f:
        f.write("#!/bin/sh\n")
    os.chmod(binary, os.stat(binary).st_mode | stat.S_IXUSR)
    files = {
        ("simspark", "spark.rb"): "$agentSyncMode = true\n$threadedAgentControl = true\n"
                                  "x = 1\n$serverMultiThreadedMode = true\n",
        ("simspark", "kerosin.rb"): "# kerosin\n",
        ("rcssserver3d", "rcssserver3d.rb"): "$enableInternalMonitor = true\n$enableRealTimeMode = false\n",
        ("rcssserver3d", "naosoccersim.rb"): "addSoccerVar('AutomaticKickOff', true)\n"
                                             "addSoccerVar('WaitBeforeKickOff', 30.0)\n",
    }
    for (folder, name), text in files.items():
        os.makedirs(os.path.join(top, "share", folder), exist_ok=True)
        with open(os.path.join(top, "share", folder, name), "w") as f:
            f.write(text)
    return binary


def read(path):
    with open(path) as f:
        return f.read()


class FindTest(unittest.TestCase):
    def test_install_folder_then_path_then_default_folder(self):
        # Which of three servers is found, by what is given: RCSSSERVER3D,
        # a PATH holding one, a HOME whose default install folder holds one.
        with tempfile.TemporaryDirectory() as named, tempfile.TemporaryDirectory() as on_path, \
                tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as empty:
            default = os.path.join(home, ".cache", "rcssserver3d", "install")
            servers = {"named": (fake_install(named), os.path.abspath(named)),
                       "path": (os.path.realpath(fake_install(on_path)), os.path.realpath(on_path)),
                       "default": (fake_install(default), os.path.abspath(default))}
            cases = [
                ({"RCSSSERVER3D": named, "PATH": os.path.join(on_path, "bin"), "HOME": home}, "named"),
                ({"RCSSSERVER3D": named, "PATH": empty, "HOME": empty}, "named"),
                ({"RCSSSERVER3D": "", "PATH": os.path.join(on_path, "bin"), "HOME": home}, "path"),
                ({"PATH": os.path.join(on_path, "bin"), "HOME": home}, "path"),
                ({"PATH": empty, "HOME": home}, "default"),
                ({"RCSSSERVER3D": "/nonexistent/x", "PATH": empty, "HOME": home}, "default"),
            ]
            for env, which in cases:
                self.assertEqual(simserver.find_server(env), servers[which], (env, which))

    def test_not_found_says_where_it_looked(self):
        with tempfile.TemporaryDirectory() as empty:
            with self.assertRaises(simserver.NotFound) as cm:
                simserver.find_server({"RCSSSERVER3D": "/nonexistent/x", "PATH": empty, "HOME": empty})
            text = str(cm.exception)
            for part in ("/nonexistent/x/bin/rcssserver3d", "PATH",
                         os.path.join(empty, ".cache/rcssserver3d/install/bin/rcssserver3d")):
                self.assertIn(part, text)
            with self.assertRaises(simserver.NotFound) as cm:
                simserver.find_server({"PATH": empty})
            self.assertIn("RCSSSERVER3D (not set)", str(cm.exception))


class HowToGetTest(unittest.TestCase):
    def test_nearby_build_script_only_where_it_is(self):
        saved = simserver.NEARBY_BUILD
        try:
            with tempfile.TemporaryDirectory() as d:
                simserver.NEARBY_BUILD = os.path.join(d, "build-server.sh")
                self.assertEqual(simserver.how_to_get(), simserver.HOW_TO_GET)
                open(simserver.NEARBY_BUILD, "w").close()
                text = simserver.how_to_get()
                self.assertTrue(text.startswith(simserver.HOW_TO_GET))
                self.assertIn(simserver.NEARBY_BUILD + " is one more way", text)
        finally:
            simserver.NEARBY_BUILD = saved


class RunFolderTest(unittest.TestCase):
    def test_settings_of_a_match(self):
        with tempfile.TemporaryDirectory() as inst, tempfile.TemporaryDirectory() as run:
            fake_install(inst)
            home = simserver.prepare_run_folder(inst, run)
            spark = read(os.path.join(home, ".simspark", "spark.rb"))
            self.assertEqual(spark, "$agentSyncMode = false\n$threadedAgentControl = false\n"
                                    "x = 1\n$serverMultiThreadedMode = false\n")
            self.assertEqual(read(os.path.join(home, ".simspark", "kerosin.rb")), "# kerosin\n")
            self.assertEqual(read(os.path.join(run, "rcssserver3d.rb")),
                             "$enableInternalMonitor = false\n$enableRealTimeMode = true\n")
            self.assertEqual(read(os.path.join(run, "naosoccersim.rb")),
                             "addSoccerVar('AutomaticKickOff', false)\n"
                             "addSoccerVar('WaitBeforeKickOff', 30.0)\n")
            # The installed files stay as they were.
            self.assertIn("true", read(os.path.join(inst, "share", "simspark", "spark.rb")))


class ListeningTest(unittest.TestCase):
    def test_a_listener_is_seen_and_a_closed_one_not(self):
        s = socket.socket()
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
        self.assertFalse(simserver.listening("127.0.0.1", port))
        s.listen(1)
        self.assertTrue(simserver.listening("127.0.0.1", port))
        self.assertFalse(simserver.listening("127.0.0.2", port))
        s.close()
        self.assertFalse(simserver.listening("127.0.0.1", port))


if __name__ == "__main__":
    unittest.main()
