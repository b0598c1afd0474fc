#!/usr/bin/env python3
"""Relay between one agent and a soccer server, for experiments and
measurements against the real server (not used by the programs).

The agent's server port is fixed at 3100, so a relay on another loopback
address (127.0.0.2 ... 127.0.0.254, port 3100) lets several experiments run
side by side, each against its own server instance on 127.0.0.1:PORT:

    tools/relay.py --listen 127.0.0.7 --server-port 3107 --log run.jsonl &
    build/brevane --host=127.0.0.7 --num=2

Every frame (4-byte big-endian length + S-expression text) is forwarded as
it is, and, with --log, written as one JSON line
{"t": wall seconds, "dir": "s2a" | "a2s", "msg": text}.

Agent-to-server frames can be changed by an override hook: with
--hook FILE, FILE is a Python file that defines
    hook(msg: str, state: dict) -> str
called for every agent-to-server frame; state["now"] is the game-state time
of the last server frame (`(time (now T))`), state["t"] the last `(GS (t T))`
game time, state["pm"] the last play mode, state["gt"] the last ground-truth
dict ({"mypos": (x, y, z), "myorien": deg, "ballpos": (x, y, z)} as far as
seen), state["frames"] the count of server frames, state["msg"] the last
server frame itself, state["conn"] the connection's number (below). The
hook returns the text to send instead. tools/relay_hooks/ holds hooks that earlier
experiments used.

The relay serves --conns agent connections (default 1; 11 for a team),
each with its own server connection, and ends when all of them have ended.
Log lines then carry "conn": the connection's number from 0, in the order
the agents connected.
"""
import argparse
import importlib.util
import json
import os
import re
import socket
import struct
import subprocess
import sys
import threading
import time

HEADER = struct.Struct("!I")

NOW_RE = re.compile(r"\(time \(now ([-0-9.eE]+)\)\)")
GS_T_RE = re.compile(r"\(GS (?:[^()]|\([^()]*\))*?\(t ([-0-9.eE]+)\)")
PM_RE = re.compile(r"\(pm ([A-Za-z_]+)\)")
MYPOS_RE = re.compile(r"\(mypos ([-0-9.eE]+) ([-0-9.eE]+) ([-0-9.eE]+)\)")
MYORIEN_RE = re.compile(r"\(myorien ([-0-9.eE]+)\)")
BALLPOS_RE = re.compile(r"\(ballpos ([-0-9.eE]+) ([-0-9.eE]+) ([-0-9.eE]+)\)")


def recv_exact(sock, n):
    buf = bytearray()
    while len(buf) < n:
        chunk = sock.recv(n - len(buf))
        if not chunk:
            return None
        buf += chunk
    return bytes(buf)


def recv_frame(sock):
    head = recv_exact(sock, 4)
    if head is None:
        return None
    (n,) = HEADER.unpack(head)
    body = recv_exact(sock, n)
    if body is None:
        return None
    return body.decode("ascii", "replace")


def send_frame(sock, text):
    data = text.encode("ascii", "replace")
    sock.sendall(HEADER.pack(len(data)) + data)


class Relay:
    def __init__(self, agent, server, log, hook, conn, lock):
        self.conn = conn
        self.agent = agent
        self.server = server
        self.log = log
        self.hook = hook
        self.lock = lock
        self.state = {"now": None, "t": None, "pm": None, "gt": {}, "frames": 0, "conn": conn}
        self.done = threading.Event()

    def write_log(self, direction, msg):
        if self.log is None:
            return
        line = json.dumps({"t": time.time(), "conn": self.conn, "dir": direction,
                           "msg": msg})
        with self.lock:
            self.log.write(line + "\n")

    def observe(self, msg):
        m = NOW_RE.search(msg)
        if m:
            self.state["now"] = float(m.group(1))
        m = GS_T_RE.search(msg)
        if m:
            self.state["t"] = float(m.group(1))
        m = PM_RE.search(msg)
        if m:
            self.state["pm"] = m.group(1)
        gt = self.state["gt"]
        m = MYPOS_RE.search(msg)
        if m:
            gt["mypos"] = tuple(float(v) for v in m.groups())
        m = MYORIEN_RE.search(msg)
        if m:
            gt["myorien"] = float(m.group(1))
        m = BALLPOS_RE.search(msg)
        if m:
            gt["ballpos"] = tuple(float(v) for v in m.groups())
        self.state["frames"] += 1
        self.state["msg"] = msg

    def server_to_agent(self):
        try:
            while True:
                msg = recv_frame(self.server)
                if msg is None:
                    break
                self.observe(msg)
                self.write_log("s2a", msg)
                send_frame(self.agent, msg)
        except OSError:
            pass
        self.done.set()

    def agent_to_server(self):
        try:
            while True:
                msg = recv_frame(self.agent)
                if msg is None:
                    break
                if self.hook is not None:
                    msg = self.hook(msg, self.state)
                self.write_log("a2s", msg)
                send_frame(self.server, msg)
        except OSError:
            pass
        self.done.set()


def spawn(args, env=None):
    """Starts a relay process (args: its command line after the
    interpreter) and returns it once it listens, so that the agents started
    next find it even on a loaded machine; its later messages are drained
    in the background."""
    p = subprocess.Popen([sys.executable, os.path.abspath(__file__)] + args, env=env,
                         stderr=subprocess.PIPE, text=True)
    for line in p.stderr:
        if "listening" in line:
            break
    threading.Thread(target=lambda: [None for _ in p.stderr], daemon=True).start()
    return p


def load_hook(path):
    spec = importlib.util.spec_from_file_location("relay_hook", path)
    mod = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(mod)
    return mod.hook


def serve(relay):
    threads = [threading.Thread(target=relay.server_to_agent, daemon=True),
               threading.Thread(target=relay.agent_to_server, daemon=True)]
    for t in threads:
        t.start()
    relay.done.wait()
    for s in (relay.agent, relay.server):
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        s.close()


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--listen", default="127.0.0.2", help="address to listen on (port 3100)")
    ap.add_argument("--listen-port", type=int, default=3100)
    ap.add_argument("--server-host", default="127.0.0.1")
    ap.add_argument("--server-port", type=int, default=3100)
    ap.add_argument("--log", help="JSON-lines file of every frame")
    ap.add_argument("--hook", help="Python file defining hook(msg, state) -> msg")
    ap.add_argument("--conns", type=int, default=1, help="agent connections to serve")
    ap.add_argument("--timeout", type=float, default=60.0,
                    help="seconds to wait for each agent to connect")
    args = ap.parse_args()

    lsock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    lsock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    lsock.bind((args.listen, args.listen_port))
    lsock.listen(16)
    lsock.settimeout(args.timeout)
    print(f"relay listening on {args.listen}:{args.listen_port}", file=sys.stderr, flush=True)
    log = open(args.log, "w") if args.log else None
    hook = load_hook(args.hook) if args.hook else None
    lock = threading.Lock()
    workers = []
    for conn in range(args.conns):
        try:
            agent, _ = lsock.accept()
        except socket.timeout:
            print(f"relay: agent {conn} did not connect", file=sys.stderr)
            break
        server = socket.create_connection((args.server_host, args.server_port))
        for s in (agent, server):
            s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        relay = Relay(agent, server, log, hook, conn, lock)
        w = threading.Thread(target=serve, args=(relay,), daemon=True)
        w.start()
        workers.append(w)
    lsock.close()
    for w in workers:
        w.join()
    if log:
        log.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
