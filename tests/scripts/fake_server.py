"""A stand-in soccer server for the team scripts' tests: it listens on port
3100 of a free loopback address other than 127.0.0.1, accepts any number
of agents and sends each, every 20 ms, a recorded perception message."""
import os
import random
import socket
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import simmonitor as sm  # noqa: E402

MESSAGES = os.path.join(ROOT, "tests", "data", "server_before_kickoff.txt")


def free_loopback(port=3100, tries=50):
    """A bound listening socket on 127.0.x.y:port (x from 100 to 199)."""
    last = None
    for _ in range(tries):
        host = "127.0.%d.%d" % (random.randint(100, 199), random.randint(1, 254))
        s = socket.socket()
        try:
            s.bind((host, port))
            s.listen(16)
            return s
        except OSError as e:
            last = e
            s.close()
    raise OSError("no free loopback address for port %d: %s" % (port, last))


def unused_loopback(port=3100):
    """An address 127.0.x.y where nothing listens on port: bound and closed."""
    s = free_loopback(port)
    host = s.getsockname()[0]
    s.close()
    return host


class Listener:
    """Accepts connections on port 3100 of a free loopback address in a
    thread of its own and hands each to serve(conn)."""

    def __init__(self):
        self.lsock = free_loopback()
        self.host = self.lsock.getsockname()[0]
        self.lock = threading.Lock()
        self.socks = []
        self.stopping = False
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while not self.stopping:
            try:
                conn, _ = self.lsock.accept()
            except OSError:
                return
            with self.lock:
                self.socks.append(conn)
            self.serve(conn)

    def serve(self, conn):
        raise NotImplementedError

    def close(self):
        self.stopping = True
        self.lsock.close()
        with self.lock:
            for s in self.socks:
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
                s.close()


class FakeServer(Listener):
    def __init__(self):
        with open(MESSAGES) as f:
            self.messages = [line for line in f.read().split("\n") if line]
        self.inits = []      # the init messages received, in order
        self.connections = 0
        super().__init__()

    def serve(self, conn):
        with self.lock:
            self.connections += 1
        threading.Thread(target=self._read, args=(conn,), daemon=True).start()
        threading.Thread(target=self._send, args=(conn,), daemon=True).start()

    def _read(self, conn):
        try:
            for m in sm.messages(conn):
                if m.startswith("(init"):
                    with self.lock:
                        self.inits.append(m)
        except OSError:
            return

    def _send(self, conn):
        i = 0
        try:
            while not self.stopping:
                conn.sendall(sm.frame(self.messages[i % len(self.messages)]))
                i += 1
                time.sleep(0.02)
        except OSError:
            return
