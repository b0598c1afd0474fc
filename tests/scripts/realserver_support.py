"""What the tests against the real soccer server share: the server in a
folder of its own, a recorder of the monitor stream, and a relay in front of
the server's agent port that counts what passes."""
import os
import re
import socket
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import fake_server  # noqa: E402
from script_runs import ROOT  # noqa: E402

sys.path.insert(0, os.path.join(ROOT, "scripts"))
import simmonitor as sm  # noqa: E402
import simserver  # noqa: E402

BUILD_DIR = os.environ.get("BUILD_DIR", os.path.join(ROOT, "build"))

# Lines of a player's log that tell of a fault...
ERROR_RE = re.compile(r"error|fail|abort|terminate|exception|segmentation|sanitizer|"
                      r"assert|core dumped|stack smashing", re.I)
# ... except the diagnostics the programs print in ordinary play: a walk
# step whose foot yaw has no solution, and a walk request of zero length.
DIAGNOSTIC_RES = [re.compile(p) for p in (
    r"^error, there is no solution",
    r"^error\(next debug\)",
    r"^error\(epilepsie\)",
    r"^init_walk_translate \S+ \S+ ERROR$",
)]


def error_lines(path):
    """The fault lines of a log."""
    out = []
    with open(path, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if ERROR_RE.search(line) and not any(d.search(line) for d in DIAGNOSTIC_RES):
                out.append(line)
    return out


class Snapshot:
    __slots__ = ("wall", "time", "half", "play_mode", "robots", "ball", "team_left", "team_right")


class Recorder:
    """Reads the monitor port in a thread of its own and keeps a snapshot of
    every message: the server must never wait for its monitor."""

    def __init__(self, port=simserver.MONITOR_PORT):
        self.monitor = sm.Monitor("127.0.0.1", port)
        self.monitor.connect(timeout=10)
        self.lock = threading.Lock()
        self.snaps = []
        self.error = None
        self.stopping = False
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        m = self.monitor
        try:
            while not self.stopping:
                before = m.messages
                m.poll(0.1)
                if m.messages == before:
                    continue
                s = Snapshot()
                s.wall = time.monotonic()
                s.time, s.half, s.play_mode = m.state.time, m.state.half, m.state.play_mode
                s.team_left, s.team_right = m.state.team_left, m.state.team_right
                s.robots = {(r.side, r.unum): r for r in m.scene.robots()}
                s.ball = m.scene.ball()
                with self.lock:
                    self.snaps.append(s)
        except (OSError, EOFError, sm.ProtocolError) as e:
            if not self.stopping:
                self.error = e

    def send(self, command):
        self.monitor.send(command)

    def last(self):
        with self.lock:
            return self.snaps[-1] if self.snaps else None

    def since(self, wall):
        with self.lock:
            return [s for s in self.snaps if s.wall >= wall]

    def wait_for(self, pred, timeout, what):
        """Waits until pred(last snapshot) holds; AssertionError after
        timeout seconds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            s = self.last()
            if s is not None and pred(s):
                return s
            if self.error is not None:
                raise AssertionError("monitor stream broken while waiting for %s: %s" % (what, self.error))
            time.sleep(0.05)
        raise AssertionError("no %s within %.0f s" % (what, timeout))

    def close(self):
        self.stopping = True
        self.thread.join(timeout=5)
        self.monitor.close()


BEAM_RE = re.compile(r"\(beam ([-0-9.eE]+) ([-0-9.eE]+) ([-0-9.eE]+)\)")
INIT_RE = re.compile(r"\(init \(unum (\d+)\)")


class Link:
    """What passed on one agent's connection."""

    def __init__(self):
        self.unum = None
        self.server_msgs = 0   # perception messages after the agent's init
        self.answers = 0       # agent messages after its init
        self.beams = []        # (x, y, angle) of every beam sent
        self.ended = False


class Relay(fake_server.Listener):
    """Listens on port 3100 of a free loopback address and relays every
    agent to the server at 127.0.0.1:3100, counting messages both ways."""

    def __init__(self):
        self.links = []
        super().__init__()

    def serve(self, agent):
        try:
            server = socket.create_connection(("127.0.0.1", simserver.AGENT_PORT))
        except OSError:
            agent.close()
            return
        link = Link()
        for s in (agent, server):
            s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        with self.lock:
            self.links.append(link)
            self.socks.append(server)
        threading.Thread(target=self._pump, args=(server, agent, link, False), daemon=True).start()
        threading.Thread(target=self._pump, args=(agent, server, link, True), daemon=True).start()

    def _pump(self, src, dst, link, from_agent):
        try:
            for msg in sm.messages(src):
                with self.lock:
                    if from_agent:
                        self._agent_said(link, msg)
                    elif link.unum is not None:
                        link.server_msgs += 1
                dst.sendall(sm.frame(msg))
        except OSError:
            pass
        with self.lock:
            link.ended = True
        for s in (src, dst):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    @staticmethod
    def _agent_said(link, msg):
        if link.unum is None:
            m = INIT_RE.search(msg)
            if m:
                link.unum = int(m.group(1))
            return
        link.answers += 1
        for b in BEAM_RE.finditer(msg):
            link.beams.append(tuple(float(v) for v in b.groups()))

    def snapshot(self):
        """Copies of the links as they are now."""
        with self.lock:
            out = []
            for link in self.links:
                c = Link()
                c.unum, c.server_msgs, c.answers = link.unum, link.server_msgs, link.answers
                c.beams, c.ended = list(link.beams), link.ended
                out.append(c)
            return out
