"""Finding, starting and stopping a headless soccer server (rcssserver3d) on
this machine, for local matches and the tests against the real server.

The server is looked for in RCSSSERVER3D (its install folder, holding
bin/rcssserver3d), then on PATH, then in the default install folder
~/.cache/rcssserver3d/install, where the source build of README.md and the
build script next to this repository put it. It reads its configuration from Ruby
files in its share folders; a file of the same name in the working
directory, or in ~/.simspark for spark.rb, takes their place. A run folder
therefore gets copies with the settings a match needs (no multi-threading,
which has crashed this server, real-time cycles, no automatic kick-off), and
the server runs there with HOME pointing into it.
"""
import ctypes
import os
import re
import shutil
import signal
import subprocess
import time

AGENT_PORT = 3100
MONITOR_PORT = 3200


class NotFound(Exception):
    pass


# What to do without a server, for the scripts to print (README, Getting
# started, says the same at more length).
HOW_TO_GET = """\
To get one (rcssserver3d 0.7.x on the SimSpark engine):
  - from packages, where the distribution or the league's package
    repositories have them: install rcssserver3d (with simspark); it is
    then found on PATH;
  - or from the sources of SimSpark and rcssserver3d (the SimSpark
    repository holds both, in spark/ and rcssserver3d/): build and install
    spark, then rcssserver3d, into one folder (cmake with
    -DCMAKE_INSTALL_PREFIX=DIR, the second also with -DCMAKE_PREFIX_PATH=DIR);
    with DIR=~/.cache/rcssserver3d/install it is found as it is, elsewhere
    set RCSSSERVER3D=DIR, the folder that holds bin/rcssserver3d.
See "A soccer server" in README.md."""

# The one install folder the source build, the nearby build script and the
# scripts agree on, under HOME.
DEFAULT_INSTALL = os.path.join(".cache", "rcssserver3d", "install")


def default_install(env=None):
    """The default install folder under env's HOME, or None without HOME."""
    env = os.environ if env is None else env
    home = env.get("HOME", "")
    return os.path.join(home, DEFAULT_INSTALL) if home else None

# Where this repository is kept next to the simulator's own sources.
NEARBY_BUILD = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                            "shared", "sim", "build-server.sh")


def how_to_get():
    """HOW_TO_GET, and the nearby build script where there is one."""
    text = HOW_TO_GET
    if os.path.exists(NEARBY_BUILD):
        text += ("\nHere %s is one more way: it builds the server from the sources next to it"
                 " into ~/.cache/rcssserver3d/install, where it is found as it is."
                 % os.path.normpath(NEARBY_BUILD))
    return text


def find_server(env=None):
    """(binary, install folder) of the server, or NotFound saying where it
    looked: RCSSSERVER3D, PATH, then the default install folder."""
    env = os.environ if env is None else env
    looked = []

    def in_folder(folder, what):
        binary = os.path.join(folder, "bin", "rcssserver3d")
        if os.access(binary, os.X_OK):
            return binary, os.path.abspath(folder)
        looked.append("%s (%s)" % (binary, what))
        return None

    named = env.get("RCSSSERVER3D", "")
    if not named:
        looked.append("RCSSSERVER3D (not set)")
    else:
        found = in_folder(named, "RCSSSERVER3D")
        if found:
            return found
    on_path = shutil.which("rcssserver3d", path=env.get("PATH", os.defpath))
    if on_path:
        binary = os.path.realpath(on_path)
        return binary, os.path.dirname(os.path.dirname(binary))
    looked.append("rcssserver3d on PATH")
    default = default_install(env)
    found = in_folder(default, "the default install folder") if default else None
    if found:
        return found
    raise NotFound("no soccer server found: looked for " + ", ".join(looked) +
                   "; install one into ~/.cache/rcssserver3d/install or set RCSSSERVER3D"
                   " to the server's install folder")


def _hex_address(host):
    parts = [int(p) for p in host.split(".")]
    return "%08X" % (parts[0] | parts[1] << 8 | parts[2] << 16 | parts[3] << 24)


def listening(host, port):
    """True when a TCP socket listens on host:port (IPv4) or on every
    address at that port. Reads /proc; connects to nothing, since a
    connection would count as a client with the server."""
    wanted = {"%s:%04X" % (_hex_address(host), port), "00000000:%04X" % port}
    try:
        with open("/proc/net/tcp") as f:
            next(f)
            for line in f:
                fields = line.split()
                if len(fields) > 3 and fields[3] == "0A" and fields[1] in wanted:
                    return True
    except OSError:
        pass
    return False


# Settings of the copied configuration files: (file, folder under share,
# pattern, replacement).
SETTINGS = (
    ("spark.rb", "simspark", r"^\$serverMultiThreadedMode = .*$", "$serverMultiThreadedMode = false"),
    ("spark.rb", "simspark", r"^\$threadedAgentControl = .*$", "$threadedAgentControl = false"),
    ("spark.rb", "simspark", r"^\$agentSyncMode = .*$", "$agentSyncMode = false"),
    ("rcssserver3d.rb", "rcssserver3d", r"^\$enableRealTimeMode = .*$", "$enableRealTimeMode = true"),
    ("rcssserver3d.rb", "rcssserver3d", r"^\$enableInternalMonitor = .*$", "$enableInternalMonitor = false"),
    ("naosoccersim.rb", "rcssserver3d", r"addSoccerVar\('AutomaticKickOff', .*\)",
     "addSoccerVar('AutomaticKickOff', false)"),
)


def prepare_run_folder(install, run_dir):
    """Writes the configuration copies into run_dir; returns the HOME the
    server is to run with."""
    home = os.path.join(run_dir, "home")
    os.makedirs(os.path.join(home, ".simspark"), exist_ok=True)
    share = os.path.join(install, "share")
    edits = {}
    for name, folder, pattern, repl in SETTINGS:
        edits.setdefault((name, folder), []).append((pattern, repl))
    for (name, folder), subs in edits.items():
        src = os.path.join(share, folder, name)
        if not os.path.exists(src):
            continue
        with open(src) as f:
            text = f.read()
        for pattern, repl in subs:
            text = re.sub(pattern, lambda _m, r=repl: r, text, flags=re.M)
        dest = os.path.join(home, ".simspark", name) if name == "spark.rb" else os.path.join(run_dir, name)
        with open(dest, "w") as f:
            f.write(text)
    # spark.rb loads kerosin.rb from its own folder.
    kerosin = os.path.join(share, "simspark", "kerosin.rb")
    if os.path.exists(kerosin):
        shutil.copy(kerosin, os.path.join(home, ".simspark", "kerosin.rb"))
    return home


def _die_with_parent():
    # The server must not outlive whoever started it, however that ends.
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
    except (OSError, AttributeError):
        pass


class Server:
    """A server process started in a run folder of its own."""

    def __init__(self, binary, install, run_dir, agent_port=AGENT_PORT, monitor_port=MONITOR_PORT):
        self.binary = binary
        self.install = install
        self.run_dir = os.path.abspath(run_dir)
        self.agent_port = agent_port
        self.monitor_port = monitor_port
        self.proc = None
        self.log_path = os.path.join(self.run_dir, "server.log")

    def start(self, timeout=20.0):
        """Starts the server and waits until both ports listen; raises
        RuntimeError when it ends early or does not listen in time."""
        os.makedirs(self.run_dir, exist_ok=True)
        env = dict(os.environ)
        env["HOME"] = prepare_run_folder(self.install, self.run_dir)
        libs = [os.path.join(self.install, "lib", d) for d in ("simspark", "rcssserver3d")]
        libs = [d for d in libs if os.path.isdir(d)]
        if env.get("LD_LIBRARY_PATH"):
            libs.append(env["LD_LIBRARY_PATH"])
        if libs:
            env["LD_LIBRARY_PATH"] = ":".join(libs)
        log = open(self.log_path, "w")
        try:
            self.proc = subprocess.Popen(
                [self.binary, "--agent-port", str(self.agent_port),
                 "--server-port", str(self.monitor_port)],
                cwd=self.run_dir, env=env, stdin=subprocess.DEVNULL, stdout=log,
                stderr=subprocess.STDOUT, start_new_session=True,
                preexec_fn=_die_with_parent)
        finally:
            log.close()
        deadline = time.monotonic() + timeout
        while True:
            if self.proc.poll() is not None:
                raise RuntimeError("the soccer server ended at once (exit status %s); see %s"
                                   % (self.proc.returncode, self.log_path))
            if listening("127.0.0.1", self.agent_port) and listening("127.0.0.1", self.monitor_port):
                return
            if time.monotonic() >= deadline:
                self.stop()
                raise RuntimeError("the soccer server did not listen on ports %d and %d within %.0f s; see %s"
                                   % (self.agent_port, self.monitor_port, timeout, self.log_path))
            time.sleep(0.1)

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def stop(self):
        """Stops the server (it leaves on SIGINT; SIGTERM only closes its
        sockets) and waits for it."""
        if self.proc is None:
            return
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGINT)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
