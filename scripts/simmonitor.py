#!/usr/bin/env python3
"""Client of the soccer server's monitor port (Python 3, standard library).

Every message on the port, both ways, is a 4-byte big-endian length and
S-expression text. The server sends, about every other cycle, the game state
followed by the scene: the whole scene graph ("RSG") when it changed, for
instance when a robot joined, otherwise only what moved ("RDS", the same tree
with unchanged nodes left empty). A client sends trainer commands such as
"(kickOff Left)" or "(playMode PlayOn)".

Run as a program it sends each argument as one trainer command:

    scripts/simmonitor.py "(kickOff Left)"
    scripts/simmonitor.py --port 3200 --state "(playMode PlayOn)"

(--state: print the game state the server reports after the commands).
"""
import argparse
import math
import re
import socket
import struct
import sys
import time

HEADER = struct.Struct("!I")
DEFAULT_PORT = 3200
# Messages above this are refused as a broken stream rather than buffered.
MAX_MESSAGE = 64 * 1024 * 1024

TOKEN_RE = re.compile(r"\(|\)|[^\s()]+")


class ProtocolError(Exception):
    pass


def frame(text):
    """The bytes of one message: length, then the text."""
    data = text.encode("ascii", "replace")
    return HEADER.pack(len(data)) + data


class FrameReader:
    """Cuts a byte stream into messages."""

    def __init__(self):
        self.buf = bytearray()

    def feed(self, data):
        self.buf += data

    def next(self):
        """The next whole message as text, or None until more bytes come."""
        if len(self.buf) < 4:
            return None
        (n,) = HEADER.unpack_from(self.buf)
        if n > MAX_MESSAGE:
            raise ProtocolError("message of %d bytes announced" % n)
        if len(self.buf) < 4 + n:
            return None
        body = bytes(self.buf[4:4 + n])
        del self.buf[:4 + n]
        return body.decode("ascii", "replace")


def messages(sock):
    """The messages arriving on a blocking socket, until it closes."""
    r = FrameReader()
    while True:
        data = sock.recv(1 << 16)
        if not data:
            return
        r.feed(data)
        while True:
            m = r.next()
            if m is None:
                break
            yield m


def parse_sexp(text):
    """The S-expressions of a text as nested lists of strings."""
    top = []
    stack = [top]
    for m in TOKEN_RE.finditer(text):
        tok = m.group(0)
        if tok == "(":
            new = []
            stack[-1].append(new)
            stack.append(new)
        elif tok == ")":
            if len(stack) == 1:
                raise ProtocolError("unbalanced ')'")
            stack.pop()
        else:
            stack[-1].append(tok)
    if len(stack) != 1:
        raise ProtocolError("unbalanced '('")
    return top


# --- game state ---------------------------------------------------------

# The server's own list, used until it sends its play_modes.
PLAY_MODES = ("BeforeKickOff KickOff_Left KickOff_Right PlayOn KickIn_Left KickIn_Right "
              "corner_kick_left corner_kick_right goal_kick_left goal_kick_right "
              "offside_left offside_right GameOver Goal_Left Goal_Right "
              "free_kick_left free_kick_right direct_free_kick_left "
              "direct_free_kick_right pass_left pass_right").split()


class GameState:
    """What the environment part of the messages says; every message holds
    only what changed, so values are kept."""

    def __init__(self):
        self.time = 0.0
        self.half = 1
        self.score_left = 0
        self.score_right = 0
        self.play_mode_index = 0
        self.play_modes = list(PLAY_MODES)
        self.team_left = ""
        self.team_right = ""
        self.field_length = 30.0

    @property
    def play_mode(self):
        i = self.play_mode_index
        return self.play_modes[i] if 0 <= i < len(self.play_modes) else "unknown(%d)" % i

    def update(self, env):
        for item in env:
            if not isinstance(item, list) or not item or not isinstance(item[0], str):
                continue
            key, vals = item[0], item[1:]
            if not vals:
                continue
            try:
                if key == "time":
                    self.time = float(vals[0])
                elif key == "half":
                    self.half = int(vals[0])
                elif key == "score_left":
                    self.score_left = int(vals[0])
                elif key == "score_right":
                    self.score_right = int(vals[0])
                elif key == "play_mode":
                    self.play_mode_index = int(vals[0])
                elif key == "play_modes":
                    self.play_modes = [v for v in vals if isinstance(v, str)]
                elif key == "team_left":
                    self.team_left = vals[0]
                elif key == "team_right":
                    self.team_right = vals[0]
                elif key == "FieldLength":
                    self.field_length = float(vals[0])
            except (ValueError, TypeError):
                raise ProtocolError("bad value in (%s ...)" % key)


# --- scene graph --------------------------------------------------------

IDENTITY = (1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0,
            0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0)


def mat_mul(a, b):
    """Product of two 4x4 matrices stored column after column (as SLT)."""
    out = [0.0] * 16
    for c in range(4):
        for r in range(4):
            out[c * 4 + r] = (a[r] * b[c * 4] + a[4 + r] * b[c * 4 + 1] +
                              a[8 + r] * b[c * 4 + 2] + a[12 + r] * b[c * 4 + 3])
    return out


class Node:
    __slots__ = ("slt", "mesh", "materials", "children")

    def __init__(self):
        self.slt = None        # local transform, 16 numbers, or None
        self.mesh = None       # the model a mesh node loads
        self.materials = ()    # its materials
        self.children = []


def _slt(item):
    if len(item) != 17:
        raise ProtocolError("SLT with %d numbers" % (len(item) - 1))
    try:
        return tuple(float(v) for v in item[1:])
    except ValueError:
        raise ProtocolError("bad number in SLT")


def build_node(sexp):
    """A scene node from a full-scene (nd ...) expression."""
    node = Node()
    for item in sexp[1:]:
        if not isinstance(item, list) or not item:
            continue
        head = item[0]
        if head == "nd":
            node.children.append(build_node(item))
        elif head == "SLT":
            node.slt = _slt(item)
        elif head == "load" and len(item) > 1:
            node.mesh = item[1]
        elif head == "resetMaterials":
            node.materials = tuple(item[1:])
        elif head == "sMat" and len(item) > 1:
            node.materials = (item[1],)
    return node


def apply_delta(node, sexp):
    """Applies a partial-scene (nd ...) expression to its node; False when
    the shapes of the two trees differ."""
    kids = [item for item in sexp[1:] if isinstance(item, list) and item and item[0] == "nd"]
    if len(kids) != len(node.children):
        return False
    for item in sexp[1:]:
        if isinstance(item, list) and item and item[0] == "SLT":
            node.slt = _slt(item)
    for child, d in zip(node.children, kids):
        if not apply_delta(child, d):
            return False
    return True


class Robot:
    __slots__ = ("side", "unum", "pos", "up", "facing")

    def __init__(self, side, unum, pos, up, facing=0.0):
        self.side = side   # "left" or "right"
        self.unum = unum
        self.pos = pos     # torso centre (x, y, z), metres
        self.up = up       # z component of the torso's up axis: 1 upright, 0 lying
        self.facing = facing  # radians: where its front (the torso's y axis) points on the ground

    def __repr__(self):
        return "Robot(%s %d at %.2f %.2f %.2f up %.2f)" % (
            self.side, self.unum, self.pos[0], self.pos[1], self.pos[2], self.up)


BALL_MESH = "models/soccerball.obj"
TORSO_MESH_RE = re.compile(r"models/naobody\d*\.obj$")
UNUM_RE = re.compile(r"matNum(\d+)$")


class Scene:
    """Mirror of the server's scene graph, with the robots and the ball found
    in it: a robot's torso is the transform two levels above the mesh of
    its body, whose materials name its side and number."""

    def __init__(self):
        self.root = None
        self.torsos = []   # (side, unum, chain of nodes from the root)
        self.ball_chain = None

    def set_full(self, sexp):
        self.root = Node()
        self.root.children = [build_node(x) for x in sexp
                              if isinstance(x, list) and x and x[0] == "nd"]
        self.torsos = []
        self.ball_chain = None
        self._index(self.root, [])

    def apply(self, sexp):
        if self.root is None:
            return False
        kids = [x for x in sexp if isinstance(x, list) and x and x[0] == "nd"]
        if len(kids) != len(self.root.children):
            self.root = None
            return False
        for child, d in zip(self.root.children, kids):
            if not apply_delta(child, d):
                self.root = None
                return False
        return True

    def _index(self, node, chain):
        chain = chain + [node]
        if node.mesh == BALL_MESH:
            self.ball_chain = chain[:-1]
        elif node.mesh and TORSO_MESH_RE.search(node.mesh) and len(chain) >= 3:
            side, unum = None, None
            for m in node.materials:
                if m == "matLeft":
                    side = "left"
                elif m == "matRight":
                    side = "right"
                else:
                    u = UNUM_RE.match(m)
                    if u:
                        unum = int(u.group(1))
            if side and unum is not None:
                self.torsos.append((side, unum, chain[:-2]))
        for child in node.children:
            self._index(child, chain)

    @staticmethod
    def _global(chain):
        g = IDENTITY
        for node in chain:
            if node.slt is not None:
                g = mat_mul(g, node.slt)
        return g

    def robots(self):
        out = []
        if self.root is None:
            return out
        for side, unum, chain in self.torsos:
            g = self._global(chain)
            out.append(Robot(side, unum, (g[12], g[13], g[14]), g[10], math.atan2(g[5], g[4])))
        return out

    def ball(self):
        """(x, y, z) of the ball, or None."""
        if self.root is None or self.ball_chain is None:
            return None
        g = self._global(self.ball_chain)
        return (g[12], g[13], g[14])


class Monitor:
    """One connection to the monitor port: game state and scene kept up to
    date from every message read, trainer commands sent."""

    def __init__(self, host="127.0.0.1", port=DEFAULT_PORT):
        self.host = host
        self.port = port
        self.sock = None
        self.reader = FrameReader()
        self.state = GameState()
        self.scene = Scene()
        self.messages = 0
        self.on_message = None  # called after each message is taken in

    def connect(self, timeout=10.0):
        """Connects, retrying until timeout seconds have passed; raises
        OSError with the last failure."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                self.sock = socket.create_connection((self.host, self.port), timeout=2.0)
                self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                return
            except OSError:
                if time.monotonic() >= deadline:
                    raise
                time.sleep(0.2)

    def close(self):
        if self.sock is not None:
            self.sock.close()
            self.sock = None

    def send(self, command):
        self.sock.sendall(frame(command))

    def handle(self, text):
        """Takes one message of the server into the game state and scene."""
        items = parse_sexp(text)
        if not items or not isinstance(items[0], list):
            raise ProtocolError("message without game state")
        self.state.update(items[0])
        kind = None
        for i, item in enumerate(items[1:], 1):
            if isinstance(item, list) and item and item[0] in ("RSG", "RDS"):
                kind = item[0]
                if i + 1 < len(items) and isinstance(items[i + 1], list):
                    if kind == "RSG":
                        self.scene.set_full(items[i + 1])
                    else:
                        self.scene.apply(items[i + 1])
                break
        self.messages += 1
        if self.on_message is not None:
            self.on_message()
        return kind

    def poll(self, timeout):
        """Reads and handles what arrives within timeout seconds; returns the
        number of messages handled. Raises EOFError when the server closed
        the connection."""
        handled = 0
        deadline = time.monotonic() + timeout
        while True:
            text = self.reader.next()
            if text is not None:
                self.handle(text)
                handled += 1
                continue
            left = deadline - time.monotonic()
            if left <= 0 and handled:
                return handled
            if left <= 0:
                return 0
            self.sock.settimeout(left)
            try:
                data = self.sock.recv(1 << 16)
            except socket.timeout:
                return handled
            if not data:
                raise EOFError("the server closed the monitor connection")
            self.reader.feed(data)

    def describe(self):
        s = self.state
        return "half %d  %6.1f s  %s  %s %d : %d %s" % (
            s.half, s.time, s.play_mode, s.team_left or "left", s.score_left,
            s.score_right, s.team_right or "right")


def main(argv=None):
    ap = argparse.ArgumentParser(description="Sends trainer commands to the soccer server's monitor port.")
    ap.add_argument("--host", default="127.0.0.1")
    ap.add_argument("--port", type=int, default=DEFAULT_PORT)
    ap.add_argument("--state", action="store_true",
                    help="print the game state the server reports after the commands")
    ap.add_argument("commands", nargs="*", help='trainer commands, e.g. "(kickOff Left)"')
    args = ap.parse_args(argv)
    mon = Monitor(args.host, args.port)
    try:
        mon.connect(timeout=2.0)
    except OSError as e:
        print("simmonitor: cannot connect to %s:%d: %s" % (args.host, args.port, e), file=sys.stderr)
        return 1
    try:
        for c in args.commands:
            mon.send(c)
        if args.state:
            mon.poll(0.5)
            print(mon.describe())
    except (OSError, EOFError, ProtocolError) as e:
        print("simmonitor: %s" % e, file=sys.stderr)
        return 1
    finally:
        mon.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
