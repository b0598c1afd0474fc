"""Running the scripts of scripts/ from the tests, and reading what they
leave: the team records and the players' status files."""
import os
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def run(script, *args, env=None, timeout=120):
    """Runs scripts/<script> with the environment plus env; BUILD_DIR, when
    the test runner sets it, names the programs' build folder."""
    e = dict(os.environ)
    e.update(env or {})
    return subprocess.run([os.path.join(ROOT, "scripts", script), *args], env=e, cwd=ROOT,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          timeout=timeout)


def read_record(logs, team):
    """{uniform number: (pid, log file)} of a team's record."""
    out = {}
    with open(os.path.join(logs, team + ".pids")) as f:
        for line in f:
            n, pid, log = line.split(None, 2)
            out[int(n)] = (int(pid), log.strip())
    return out


def live(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # An ended player is reaped by its waiting shell; until then it is a zombie.
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def wait_for_status(log, timeout=10.0):
    """The exit status text a player's waiting shell wrote, or None."""
    path = log[:-len(".log")] + ".status"
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if os.path.exists(path):
            with open(path) as f:
                text = f.read().strip()
            if text:
                return text
        time.sleep(0.02)
    return None
