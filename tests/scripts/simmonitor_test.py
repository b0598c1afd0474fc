"""The monitor client: framing, S-expressions, game state and the scene
mirror, on messages recorded from the real server and on hand-made ones."""
import math
import os
import socket
import sys
import threading
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import simmonitor as sm  # noqa: E402

DATA = os.path.join(ROOT, "tests", "data", "monitor")


def recording(name):
    with open(os.path.join(DATA, name)) as f:
        return [line for line in f.read().split("\n") if line]


def slt(rot, pos):
    """SLT text of a rotation (3x3, rows) and a translation."""
    cols = []
    for c in range(3):
        cols += [rot[0][c], rot[1][c], rot[2][c], 0.0]
    cols += [pos[0], pos[1], pos[2], 1.0]
    return "(SLT " + " ".join("%.9g" % v for v in cols) + ")"


def rot_x(deg):
    a = math.radians(deg)
    return [[1, 0, 0], [0, math.cos(a), -math.sin(a)], [0, math.sin(a), math.cos(a)]]


IDENT = [[1, 0, 0], [0, 1, 0], [0, 0, 1]]


def robot_node(side, unum, rot, pos, mesh="models/naobody0.obj"):
    """A robot as the server nests it: group, torso body, mesh offset, mesh."""
    return ("(nd TRF %s(nd TRF %s(nd TRF %s(nd StaticMesh (load %s) (sSc 0.1 0.1 0.1)"
            "(resetMaterials matNum%d mat%s matType0 naowhite))))"
            "(nd TRF %s(nd SMN (load StdUnitBox) (sMat matSelect))))"
            % (slt(IDENT, (0, 0, 0)), slt(rot, pos), slt(rot_x(90), (0, 0, 0)), mesh, unum,
               side, slt(IDENT, (0, 0, 0))))


def full(env, *nodes):
    return "(%s)(RSG 0 1)(%s)" % (env, "".join(nodes))


class FramingTest(unittest.TestCase):
    def test_messages_cut_from_a_stream_in_any_pieces(self):
        data = sm.frame("(a)") + sm.frame("") + sm.frame("(bb (c))")
        for step in (1, 3, 4, 5, len(data)):
            r = sm.FrameReader()
            got = []
            for i in range(0, len(data), step):
                r.feed(data[i:i + step])
                while True:
                    m = r.next()
                    if m is None:
                        break
                    got.append(m)
            self.assertEqual(got, ["(a)", "", "(bb (c))"], "pieces of %d bytes" % step)

    def test_length_is_big_endian(self):
        self.assertEqual(sm.frame("x" * 258)[:4], b"\x00\x00\x01\x02")

    def test_absurd_length_is_refused(self):
        r = sm.FrameReader()
        r.feed(b"\xff\xff\xff\xff")
        with self.assertRaises(sm.ProtocolError):
            r.next()


class SexpTest(unittest.TestCase):
    def test_nesting(self):
        self.assertEqual(sm.parse_sexp("((time 1.5)(half 2))(RDS 0 1)"),
                         [[["time", "1.5"], ["half", "2"]], ["RDS", "0", "1"]])

    def test_unbalanced(self):
        for text in ("((a)", "(a))", ")"):
            with self.assertRaises(sm.ProtocolError, msg=text):
                sm.parse_sexp(text)


class GameStateTest(unittest.TestCase):
    def test_values_kept_between_partial_messages(self):
        m = sm.Monitor()
        m.handle(full("(time 0)(team_left A)(half 1)(score_left 0)(score_right 0)(play_mode 0)"))
        m.handle("((time 12.5)(play_mode 3))(RDS 0 1)()")
        m.handle("((time 13)(score_right 1)(play_mode 14))(RDS 0 1)()")
        s = m.state
        self.assertEqual((s.time, s.half, s.score_left, s.score_right, s.team_left, s.team_right),
                         (13.0, 1, 0, 1, "A", ""))
        self.assertEqual(s.play_mode, "Goal_Right")

    def test_play_mode_names_from_the_server(self):
        m = sm.Monitor()
        m.handle(full("(play_modes Alpha Beta)(play_mode 1)"))
        self.assertEqual(m.state.play_mode, "Beta")
        m.handle("((play_mode 7))(RDS 0 1)()")
        self.assertEqual(m.state.play_mode, "unknown(7)")

    def test_bad_number_is_a_protocol_error(self):
        with self.assertRaises(sm.ProtocolError):
            sm.Monitor().handle("((half two))")


class RecordedSceneTest(unittest.TestCase):
    def test_two_teams(self):
        m = sm.Monitor()
        kinds = [m.handle(t) for t in recording("two_teams.txt")]
        self.assertEqual(kinds, ["RSG", "RDS", "RDS", "RDS", "RDS"])
        s = m.state
        self.assertEqual((s.team_left, s.team_right, s.play_mode), ("AAA", "BBB", "BeforeKickOff"))
        robots = sorted(m.scene.robots(), key=lambda r: r.side)
        self.assertEqual([(r.side, r.unum) for r in robots], [("left", 1), ("right", 1)])
        # The server's first places: the left robot at (-14.2, 9.2), the
        # right one mirrored, both standing (torso about 0.38 m high).
        for r, x in zip(robots, (-14.2, 14.2)):
            self.assertAlmostEqual(r.pos[0], x, delta=0.05)
            self.assertAlmostEqual(r.pos[1], 9.2, delta=0.05)
            self.assertAlmostEqual(r.pos[2], 0.38, delta=0.03)
            self.assertGreater(r.up, 0.99)
        # Each faces the other goal: the front is the torso's y axis.
        self.assertAlmostEqual(robots[0].facing, 0.0, delta=0.01)
        self.assertAlmostEqual(abs(robots[1].facing), math.pi, delta=0.01)
        ball = m.scene.ball()
        self.assertAlmostEqual(ball[0], 0.0, delta=0.01)
        self.assertAlmostEqual(ball[2], 0.042, delta=0.005)

    def test_robot_falling_on_its_back(self):
        m = sm.Monitor()
        ups, xs = [], []
        for t in recording("fall.txt"):
            m.handle(t)
            (r,) = m.scene.robots()
            ups.append(r.up)
            xs.append(r.pos[0])
        self.assertEqual((r.side, r.unum), ("left", 3))
        self.assertGreater(ups[0], 0.99)
        self.assertLess(ups[-1], 0.0)       # lying, torso beyond flat
        self.assertLess(r.pos[2], 0.15)
        self.assertLess(xs[-1], xs[0] - 0.3)  # backwards: it faced +x


class HandMadeSceneTest(unittest.TestCase):
    ENV = "(time 0)(play_mode 0)"

    def test_global_pose_through_the_nesting(self):
        m = sm.Monitor()
        m.handle(full(self.ENV, robot_node("Left", 7, rot_x(90), (1.0, -2.0, 0.1)),
                      robot_node("Right", 11, IDENT, (3.0, 4.0, 0.38))))
        r = {(x.side, x.unum): x for x in m.scene.robots()}
        lying = r[("left", 7)]
        self.assertAlmostEqual(lying.up, 0.0, places=6)   # rotated a quarter turn
        self.assertEqual(lying.pos, (1.0, -2.0, 0.1))
        self.assertAlmostEqual(r[("right", 11)].up, 1.0, places=6)
        # Unturned, the torso's y axis (the robot's front) points along +y.
        self.assertAlmostEqual(r[("right", 11)].facing, math.pi / 2, places=6)

    def test_each_message_is_reported_once_taken_in(self):
        m = sm.Monitor()
        seen = []
        m.on_message = lambda: seen.append((m.state.time, len(m.scene.robots())))
        m.handle(full("(time 0.5)(play_mode 3)", robot_node("Left", 1, IDENT, (0, 0, 0.38))))
        m.handle("((time 0.54))")
        self.assertEqual(seen, [(0.5, 1), (0.54, 1)])

    def test_group_transform_moves_the_robot(self):
        m = sm.Monitor()
        node = robot_node("Left", 2, IDENT, (1.0, 0.0, 0.3))
        node = node.replace(slt(IDENT, (0, 0, 0)), slt(IDENT, (10.0, 0.0, 0.0)), 1)
        m.handle(full(self.ENV, node))
        self.assertEqual(m.scene.robots()[0].pos, (11.0, 0.0, 0.3))

    def test_delta_moves_only_what_it_names(self):
        m = sm.Monitor()
        m.handle(full(self.ENV, robot_node("Left", 1, IDENT, (0, 0, 0.38)),
                      robot_node("Left", 2, IDENT, (5, 5, 0.38))))
        # Second robot's torso moved and lies; first unchanged.
        m.handle("((time 1))(RDS 0 1)((nd(nd(nd(nd)))(nd(nd)))"
                 "(nd(nd %s(nd(nd)))(nd(nd))))" % slt(rot_x(-90), (6, 5, 0.1)))
        r = {x.unum: x for x in m.scene.robots()}
        self.assertEqual(r[1].pos, (0.0, 0.0, 0.38))
        self.assertEqual(r[2].pos, (6.0, 5.0, 0.1))
        self.assertAlmostEqual(r[2].up, 0.0, places=6)

    def test_delta_of_another_shape_drops_the_scene_until_the_next_full_one(self):
        m = sm.Monitor()
        scene = full(self.ENV, robot_node("Left", 1, IDENT, (0, 0, 0.38)))
        m.handle(scene)
        m.handle("((time 1))(RDS 0 1)((nd)(nd))")
        self.assertEqual(m.scene.robots(), [])
        self.assertIsNone(m.scene.ball())
        m.handle("((time 2))(RDS 0 1)((nd(nd(nd(nd)))(nd(nd))))")
        self.assertEqual(m.scene.robots(), [])
        m.handle(scene)
        self.assertEqual(len(m.scene.robots()), 1)

    def test_meshes_without_side_or_number_are_no_robots(self):
        m = sm.Monitor()
        node = robot_node("Left", 1, IDENT, (0, 0, 0.38)).replace("matNum1 ", "")
        other = robot_node("Left", 2, IDENT, (0, 0, 0.38), mesh="models/naohead.obj")
        m.handle(full(self.ENV, node, other))
        self.assertEqual(m.scene.robots(), [])


class ConnectionTest(unittest.TestCase):
    """A monitor against a local listener: commands arrive framed, messages
    are read, and a closed connection is reported."""

    def test_commands_and_messages(self):
        lsock = socket.socket()
        lsock.bind(("127.0.0.1", 0))
        lsock.listen(1)
        got = []

        def peer():
            conn, _ = lsock.accept()
            r = sm.FrameReader()
            while len(got) < 2:
                r.feed(conn.recv(100))
                while True:
                    m = r.next()
                    if m is None:
                        break
                    got.append(m)
            conn.sendall(sm.frame(full("(time 4)(play_mode 3)")) + sm.frame("((time 5))"))
            conn.close()

        t = threading.Thread(target=peer)
        t.start()
        mon = sm.Monitor("127.0.0.1", lsock.getsockname()[1])
        mon.connect(timeout=5)
        mon.send("(kickOff Left)")
        mon.send("(playMode PlayOn)")
        with self.assertRaises(EOFError):
            for _ in range(50):
                mon.poll(0.1)
        t.join()
        lsock.close()
        mon.close()
        self.assertEqual(got, ["(kickOff Left)", "(playMode PlayOn)"])
        self.assertEqual((mon.messages, mon.state.time, mon.state.play_mode), (2, 5.0, "PlayOn"))


if __name__ == "__main__":
    unittest.main()
