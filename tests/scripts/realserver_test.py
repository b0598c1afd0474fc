"""Tests against the real soccer server (rcssserver3d), one per run:

    realserver_test.py CASE

The server is found through RCSSSERVER3D (its install folder), PATH or the
default install folder ~/.cache/rcssserver3d/install; without one the run prints why and exits 77, which CTest counts as skipped.
Every case starts its own server on ports 3100 and 3200 (so no two may run
at once) and stops it at its end."""
import itertools
import json
import math
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from realserver_support import BUILD_DIR, Recorder, Relay, error_lines, simserver  # noqa: E402
from script_runs import ROOT, live, read_record, run, wait_for_status  # noqa: E402

sys.path.insert(0, os.path.join(ROOT, "tools"))
import fall_causes  # noqa: E402

SKIP = 77
FIELD_X, FIELD_Y = 15.0, 10.0
# A robot stands: torso upright and at standing height (about 0.38 m).
STAND_UP, STAND_Z = 0.9, 0.3
# How near a robot must come to where it beamed (metres).
BEAM_NEAR = 0.3


class RealServerTest(unittest.TestCase):
    binary = install = None

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="brevane-realserver-")
        self.env = {"BREVANE_LOGS": self.tmp, "BUILD_DIR": BUILD_DIR}
        self.server = simserver.Server(self.binary, self.install, os.path.join(self.tmp, "server"))
        self.server.start()
        self.recorder = Recorder()
        self.relay = None
        self.children = []
        self.teams = []

    def tearDown(self):
        for team in self.teams:
            if os.path.exists(os.path.join(self.tmp, team + ".pids")):
                run("kill.sh", team, env=self.env)
        for p in self.children:
            if p.poll() is None:
                p.kill()
                p.wait()
        self.recorder.close()
        if self.relay is not None:
            self.relay.close()
        self.server.stop()

    # --- helpers ---

    def start_team(self, host, team, program="brevane", players=11):
        self.teams.append(team)
        env = dict(self.env, BREVANE_PROGRAM=program, BREVANE_PLAYERS=str(players))
        r = run("start.sh", host, team, env=env)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        return read_record(self.tmp, team)

    def wait_robots(self, count, timeout=30):
        return self.recorder.wait_for(lambda s: len(s.robots) >= count, timeout,
                                      "%d robots on the field" % count)

    def wait_game_time(self, t, timeout):
        return self.recorder.wait_for(lambda s: s.time >= t, timeout, "game time %.0f s" % t)

    def assert_beamed_to_places(self, links, snap, side):
        """Every link beamed; the robots stand where they beamed, on
        distinct places in their own half."""
        places = {}
        for link in links:
            self.assertTrue(link.beams, "player %s sent no beam" % link.unum)
            x, y, _ = link.beams[-1]
            places[link.unum] = (x, y)
            robot = snap.robots.get((side, link.unum))
            self.assertIsNotNone(robot, "robot %s not on the field" % link.unum)
            self.assertLess(math.hypot(robot.pos[0] - x, robot.pos[1] - y), BEAM_NEAR,
                            "robot %d at %s, beamed to %s" % (link.unum, robot.pos[:2], (x, y)))
            own = x < 0 if side == "left" else x > 0
            self.assertTrue(own and abs(x) <= FIELD_X and abs(y) <= FIELD_Y,
                            "beam place %s of player %d is not in the own half" % ((x, y), link.unum))
        for (a, pa), (b, pb) in itertools.combinations(sorted(places.items()), 2):
            self.assertGreater(math.hypot(pa[0] - pb[0], pa[1] - pb[1]), BEAM_NEAR,
                               "players %d and %d beamed to the same place" % (a, b))
        return places

    def assert_answered_every_cycle(self, links):
        for link in links:
            self.assertGreater(link.server_msgs, 0)
            # Two answers per message; the last message may still be in flight.
            self.assertGreaterEqual(link.answers, link.server_msgs - 1,
                                    "player %s answered %d of %d messages"
                                    % (link.unum, link.answers, link.server_msgs))

    # --- cases ---

    def test_one_player(self):
        """One player connects, beams, stands after the spawn drop and
        answers every cycle for 20 s."""
        self.relay = Relay()
        log = open(os.path.join(self.tmp, "player-1.log"), "w")
        p = subprocess.Popen([os.path.join(BUILD_DIR, "brevane"), "--host=" + self.relay.host,
                              "--team=RealOne", "--num=1"], cwd=ROOT, stdout=log, stderr=log)
        self.children.append(p)
        appeared = self.wait_robots(1, timeout=15).wall
        time.sleep(20)
        self.assertIsNone(p.poll(), "the player ended early")
        (link,) = self.relay.snapshot()
        self.assertEqual(link.unum, 1)
        self.assert_answered_every_cycle([link])
        self.assertGreater(link.server_msgs, 20 * 50 * 0.8)
        # After the drop at the spawn place (2 s) the robot stands throughout.
        settled = self.recorder.since(appeared + 2.0)
        self.assertTrue(settled)
        for s in settled:
            r = s.robots[("left", 1)]
            self.assertTrue(r.up > STAND_UP and r.pos[2] > STAND_Z,
                            "robot down at %.1f s: %r" % (s.wall - appeared, r))
        self.assert_beamed_to_places([link], settled[-1], "left")
        # The server's end closes the link: the player exits 0.
        self.server.stop()
        self.assertEqual(p.wait(timeout=15), 0)

    def test_eleven_players(self):
        """Eleven players beam to eleven distinct places in the own half; every
        process exits 0 when the server stops."""
        self.relay = Relay()
        record = self.start_team(self.relay.host, "RealEleven")
        self.assertEqual(sorted(record), list(range(1, 12)))
        self.wait_robots(11)
        time.sleep(5)   # beams and the drops settle
        links = self.relay.snapshot()
        self.assertEqual(sorted(link.unum for link in links), list(range(1, 12)))
        self.assert_beamed_to_places(links, self.recorder.last(), "left")
        self.assert_answered_every_cycle(links)
        self.server.stop()
        for n, (pid, log) in sorted(record.items()):
            self.assertEqual(wait_for_status(log, timeout=15), "0", "player %d (log %s)" % (n, log))
        # Nothing is running: the record goes at the first kill.sh.
        r = run("kill.sh", "RealEleven", env=self.env)
        self.assertEqual(r.returncode, 1)
        self.assertIn("not running", r.stderr)

    def test_sixty_seconds(self):
        """60 s of brevane against brevane-b after kick-off: the ball moves, no
        player dies, no fault line in any log."""
        left = self.start_team("127.0.0.1", "RealLeft", "brevane")
        self.recorder.wait_for(lambda s: s.team_left == "RealLeft", 10, "the left team")
        right = self.start_team("127.0.0.1", "RealRight", "brevane-b")
        self.wait_robots(22)
        time.sleep(3)
        self.recorder.send("(kickOff Left)")
        start = self.recorder.wait_for(lambda s: s.play_mode != "BeforeKickOff", 10, "the kick-off")
        # A loaded machine runs the server slower than real time (about half
        # speed was seen while other builds ran): only a stalled one fails.
        self.wait_game_time(start.time + 60, timeout=240)
        snaps = self.recorder.since(start.wall)
        moved = max(math.hypot(s.ball[0], s.ball[1]) for s in snaps if s.ball)
        self.assertGreater(moved, 0.5, "the ball stayed within %.2f m of the centre" % moved)
        for team, record in (("RealLeft", left), ("RealRight", right)):
            for n, (pid, log) in sorted(record.items()):
                self.assertTrue(live(pid), "player %d of %s ended (log %s)" % (n, team, log))
        for team in ("RealLeft", "RealRight"):
            r = run("kill.sh", team, env=self.env)
            self.assertEqual(r.returncode, 0, r.stderr)
        for team, record in (("RealLeft", left), ("RealRight", right)):
            for n, (pid, log) in sorted(record.items()):
                self.assertEqual(wait_for_status(log), "0", "player %d of %s" % (n, team))
                self.assertEqual(error_lines(log), [], "log " + log)

    def test_match_script(self):
        """match.sh plays a short match and leaves nothing running."""
        self.stop_own_server()
        out = os.path.join(self.tmp, "result.json")
        r = run("match.sh", "--players", "1", "--seconds", "20", "--json", out,
                env=dict(self.env, RCSSSERVER3D=self.install), timeout=180)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertRegex(r.stdout, r"result: brevane \d+ : \d+ brevane-b")
        with open(out) as f:
            res = json.load(f)
        self.assertEqual(res["end"], "--seconds 20")
        self.assertGreaterEqual(res["game_time"], 20)
        self.assertEqual([(t["side"], t["team"], t["program"], t["players"]) for t in res["teams"]],
                         [("left", "brevane", "brevane", 1), ("right", "brevane-b", "brevane-b", 1)])
        for t in res["teams"]:
            for key in ("goals", "falls", "opponent_half_player_seconds"):
                self.assertGreaterEqual(t[key], 0)
            self.assertEqual(t["players_ended"], [])
            self.assertEqual(t["falls_by_player"], {"1": t["falls"]})
            self.assertEqual(sum(t["falls_by_minute"]), t["falls"])
            self.assertEqual(sorted(t["set_pieces_against"]), ["corner_kick", "free_kick", "goal_kick", "kick_in"])
        # The trace tells the same falls again, each with its cause.
        falls, teams = fall_causes.classify_folder(res["logs"])
        self.assertEqual(teams, {"left": "brevane", "right": "brevane-b"})
        for t in res["teams"]:
            self.assertEqual(len([f for f in falls if f["side"] == t["side"]]), t["falls"])
        self.assert_match_left_nothing(res["logs"])

    def test_match_interrupted(self):
        """A player that dies is reported with its log and the match goes on;
        Ctrl-C stops everything."""
        self.stop_own_server()
        p = subprocess.Popen([os.path.join(ROOT, "scripts", "match.sh"), "--players", "2"],
                             cwd=ROOT, env=dict(os.environ, RCSSSERVER3D=self.install, **self.env),
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.children.append(p)
        lines = []
        for line in p.stdout:
            lines.append(line)
            if line.startswith("kick-off:"):
                break
        self.assertTrue(lines and lines[-1].startswith("kick-off:"), "".join(lines))
        victim_pid, victim_log = read_record(self.tmp, "brevane-b")[2]
        os.kill(victim_pid, signal.SIGKILL)
        time.sleep(3)
        p.send_signal(signal.SIGINT)
        rest, _ = p.communicate(timeout=60)
        text = "".join(lines) + rest
        self.assertEqual(p.returncode, 130, text)
        self.assertIn("player 2 of brevane-b ended (exit status 137, SIGKILL) during the match; log: "
                      + victim_log, text)
        self.assertIn("match interrupted", text)
        logs = [line.split("logs in ")[1].strip() for line in lines if line.startswith("kick-off:")][0]
        with open(os.path.join(logs, "result.json")) as f:
            res = json.load(f)
        self.assertEqual(res["end"], "interrupted")
        self.assertGreater(res["game_time"], 2.0)   # the match went on for the 3 s
        self.assertEqual(res["teams"][1]["players_ended"],
                         [{"unum": 2, "exit_status": "137, SIGKILL", "log": victim_log}])
        self.assert_match_left_nothing(logs)

    def stop_own_server(self):
        """For the cases that run match.sh, which starts a server itself."""
        self.recorder.close()
        self.server.stop()
        self.recorder = type("Closed", (), {"close": lambda self: None})()

    def assert_match_left_nothing(self, logs):
        self.assertFalse(simserver.listening("127.0.0.1", simserver.AGENT_PORT), "the server still runs")
        for name in os.listdir(logs):
            folder = os.path.join(logs, name)
            for f in os.listdir(folder) if os.path.isdir(folder) else ():
                if f.endswith(".log") and f.startswith("player-"):
                    self.assertIsNotNone(wait_for_status(os.path.join(folder, f), timeout=5),
                                         "player %s still runs" % os.path.join(folder, f))
        self.assertFalse([n for n in os.listdir(self.tmp) if n.endswith(".pids")])


def main(argv):
    if len(argv) != 2:
        print("usage: realserver_test.py CASE", file=sys.stderr)
        return 2
    try:
        RealServerTest.binary, RealServerTest.install = simserver.find_server()
    except simserver.NotFound as e:
        print("SKIP: " + str(e))
        return SKIP
    for port in (simserver.AGENT_PORT, simserver.MONITOR_PORT):
        if simserver.listening("127.0.0.1", port):
            print("FAIL: port %d of 127.0.0.1 is taken; these tests start their own server there" % port)
            return 1
    for prog in ("brevane", "brevane-b"):
        if not os.access(os.path.join(BUILD_DIR, prog), os.X_OK):
            print("FAIL: %s is not built in %s" % (prog, BUILD_DIR))
            return 1
    test = RealServerTest("test_" + argv[1])
    result = unittest.TextTestRunner(verbosity=2).run(test)
    if not result.wasSuccessful():
        print("logs kept in " + test.tmp)
        return 1
    shutil.rmtree(test.tmp, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
