"""One local match: a soccer server on this machine, two teams started with
scripts/start.sh, kick-offs through the monitor port, a progress line while
it runs, and the result with per-team figures at its end (see match.sh)."""
import argparse
import gzip
import json
import math
import os
import re
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import simmonitor  # noqa: E402
import simserver  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAMS = ("brevane", "brevane-b")
TEAM_RE = re.compile(r"^[A-Za-z0-9_.-]+$")
HALF_TIME = 300.0
TRACE_NAME = "trace.jsonl.gz"

# A robot counts as fallen when its torso leans more than about 55 degrees
# or is nearer the ground than a sitting robot's, and as up again once it
# stands nearly straight and high: the gap keeps a stumble from counting
# twice.
FALL_UP, FALL_Z = 0.57, 0.2
RISE_UP, RISE_Z = 0.8, 0.25
# Game-time steps longer than this are a clock set by hand, not play.
MAX_STEP = 1.0


def rate(value, digits):
    return "-" if value is None else "%.*f" % (digits, value)


class Stop(Exception):
    """A signal asked the match to end."""


# Play modes of a set piece: the server awards it to the side its name
# ends with, for something the other side did. Its kind as the result names
# it.
SET_PIECES = {
    "free_kick_left": ("free_kick", "left"), "free_kick_right": ("free_kick", "right"),
    "direct_free_kick_left": ("free_kick", "left"), "direct_free_kick_right": ("free_kick", "right"),
    "KickIn_Left": ("kick_in", "left"), "KickIn_Right": ("kick_in", "right"),
    "corner_kick_left": ("corner_kick", "left"), "corner_kick_right": ("corner_kick", "right"),
    "goal_kick_left": ("goal_kick", "left"), "goal_kick_right": ("goal_kick", "right"),
}
SET_PIECE_KINDS = (("free_kick", "free kicks"), ("kick_in", "kick-ins"),
                   ("corner_kick", "corner kicks"), ("goal_kick", "goal kicks"))
OTHER_SIDE = {"left": "right", "right": "left"}


def is_down(r):
    return r.up < FALL_UP or r.pos[2] < FALL_Z


class Figures:
    """Goals, falls, time in the opponent half and the set pieces of each
    side, from the game state and the robots in the monitor's scene."""

    def __init__(self):
        self.falls = {"left": 0, "right": 0}
        self.fall_list = []  # (game time, side, unum) of every fall
        self.opponent_half = {"left": 0.0, "right": 0.0}
        self.fallen = {}
        self.last_time = None
        self.counted_time = 0.0  # game time over which the figures run
        self.play_mode = None
        self.set_pieces = []  # (game time, play mode, kind, side it was awarded against)

    def update(self, time_now, robots, play_mode=None):
        dt = 0.0
        if self.last_time is not None and 0.0 < time_now - self.last_time <= MAX_STEP:
            dt = time_now - self.last_time
        self.last_time = time_now
        self.counted_time += dt
        for r in robots:
            key = (r.side, r.unum)
            down = self.fallen.get(key, False)
            if not down and is_down(r):
                self.fallen[key] = True
                self.falls[r.side] += 1
                self.fall_list.append((time_now, r.side, r.unum))
            elif down and r.up > RISE_UP and r.pos[2] > RISE_Z:
                self.fallen[key] = False
            # The left team attacks towards +x, the right one towards -x.
            if (r.pos[0] > 0) == (r.side == "left") and r.pos[0] != 0:
                self.opponent_half[r.side] += dt
        if play_mode is not None and play_mode != self.play_mode:
            if self.play_mode is not None and play_mode in SET_PIECES:
                kind, awarded = SET_PIECES[play_mode]
                self.set_pieces.append((time_now, play_mode, kind, OTHER_SIDE[awarded]))
            self.play_mode = play_mode

    def start(self, robots, play_mode=None):
        """Counting begins: robots lying now do not count as falls."""
        for r in robots:
            self.fallen[(r.side, r.unum)] = is_down(r)
        self.play_mode = play_mode

    def falls_by_player(self, side, players):
        counts = {n: 0 for n in range(1, players + 1)}
        for _, s, n in self.fall_list:
            if s == side:
                counts[n] = counts.get(n, 0) + 1
        return counts

    def falls_by_minute(self, side):
        """Falls of a side in each minute of game time (0 to 1 min, ...)."""
        # A match of 600 s has ten minutes, also when its last message came
        # a cycle or so after the 600th second.
        if self.last_time is None:
            return []
        minutes = max(1, int(math.ceil((self.last_time - 1.0) / 60.0)))
        counts = [0] * minutes
        for t, s, _ in self.fall_list:
            if s == side and t >= 0:
                i = min(int(t // 60), minutes - 1)
                counts[i] += 1
        return counts

    def set_pieces_against(self, side):
        counts = {kind: 0 for kind, _ in SET_PIECE_KINDS}
        for _, _, kind, against in self.set_pieces:
            if against == side:
                counts[kind] += 1
        return counts


class Trace:
    """Every robot's pose and the ball, per monitor message, as JSON lines
    in a gzip file: what tools/fall_causes.py reads. A first line names
    the robot fields, then one line per message (the clock stands still in
    some play modes while the robots move):
    {"t", "half", "pm", "ball": [x, y, z],
    "robots": [[side, unum, x, y, z, up, facing], ...]} (see simmonitor.Robot)."""

    FIELDS = ["side", "unum", "x", "y", "z", "up", "facing"]

    def __init__(self, path):
        self.path = path
        self.file = gzip.open(path, "wt")
        self.file.write(json.dumps({"trace": 1, "robot_fields": self.FIELDS}) + "\n")

    def write(self, state, ball, robots):
        if self.file is None:
            return
        rec = {"t": round(state.time, 3), "half": state.half, "pm": state.play_mode,
               "ball": [round(v, 3) for v in ball] if ball else None,
               "robots": [[r.side, r.unum, round(r.pos[0], 3), round(r.pos[1], 3),
                           round(r.pos[2], 3), round(r.up, 3), round(r.facing, 3)] for r in robots]}
        self.file.write(json.dumps(rec, separators=(",", ":")) + "\n")

    def close(self):
        if self.file is not None:
            self.file.close()
            self.file = None


def describe_status(text):
    """An exit status as the shell reports it, with the signal named when
    it is one (128 + signal number)."""
    try:
        code = int(text)
    except ValueError:
        return text
    if code > 128:
        try:
            return "%d, %s" % (code, signal.Signals(code - 128).name)
        except ValueError:
            pass
    return str(code)


def read_trace(path):
    """The robot fields and the records of a trace that Trace wrote: dicts
    with t, half, pm, ball and robots. A trace cut short (a match stopped
    hard, or still running) ends at its last whole line."""
    f = gzip.open(path, "rt")
    fields = list(Trace.FIELDS)
    try:
        first = json.loads(next(f))
    except (StopIteration, EOFError, ValueError):
        f.close()
        return fields, iter(())
    if "trace" in first:
        fields = first.get("robot_fields", fields)

    def records():
        with f:
            if "trace" not in first:
                yield first
            while True:
                try:
                    yield json.loads(next(f))
                except (StopIteration, EOFError, ValueError):
                    return

    return fields, records()


class Team:
    def __init__(self, side, program, name, players, log_dir):
        self.side = side
        self.program = program
        self.name = name
        self.players = players
        self.log_dir = log_dir
        self.started = False
        self.ended = {}  # unum -> exit status text, players that ended during the match

    def check_players(self):
        """Players that ended since the last call: [(unum, status, log)]."""
        out = []
        for n in range(1, self.players + 1):
            if n in self.ended:
                continue
            path = os.path.join(self.log_dir, "player-%d.status" % n)
            if os.path.exists(path):
                try:
                    with open(path) as f:
                        status = f.read().strip() or "?"
                except OSError:
                    status = "?"
                self.ended[n] = describe_status(status)
                out.append((n, self.ended[n], self.log(n)))
        return out

    def log(self, n):
        return os.path.join(self.log_dir, "player-%d.log" % n)


def parse_args(argv):
    ap = argparse.ArgumentParser(
        prog="scripts/match.sh",
        description="Plays one local match between two teams on a soccer server of this machine.")
    ap.add_argument("--left", default="brevane", choices=PROGRAMS, metavar="PROG", help="program of the left team: brevane (default) or brevane-b")
    ap.add_argument("--right", default="brevane-b", choices=PROGRAMS, metavar="PROG", help="program of the right team: brevane-b (default) or brevane")
    ap.add_argument("--left-team", metavar="NAME", help="team name of the left team (the program's name)")
    ap.add_argument("--right-team", metavar="NAME", help="team name of the right team (the program's name)")
    ap.add_argument("--players", type=int, default=11, metavar="N", help="players per side, 1 to 11 (11)")
    ap.add_argument("--seconds", type=float, metavar="N", help="end after this much game time (a full match: 600)")
    ap.add_argument("--json", metavar="FILE", help="file of the result as JSON (result.json in the match's log folder)")
    args = ap.parse_args(argv)
    args.left_team = args.left_team or args.left
    args.right_team = args.right_team or (args.right if args.right != args.left_team else args.right + "-2")
    for name in (args.left_team, args.right_team):
        if not TEAM_RE.match(name) or name in (".", ".."):
            ap.error("bad team name '%s': use letters, digits, '_', '-' and '.'" % name)
    if args.left_team == args.right_team:
        ap.error("the two teams need different names")
    if not 1 <= args.players <= 11:
        ap.error("--players must be 1 to 11")
    if args.seconds is not None and args.seconds <= 0:
        ap.error("--seconds must be above 0")
    return args


class Match:
    def __init__(self, args, out=sys.stdout, clock=time.monotonic):
        self.args = args
        self.clock = clock
        self.out = out
        self.tty = out.isatty()
        logs = os.environ.get("BREVANE_LOGS") or os.path.join(ROOT, "logs")
        self.logs = os.path.abspath(logs)
        self.dir = os.path.join(self.logs, "match-" + time.strftime("%Y%m%d-%H%M%S"))
        self.teams = [Team("left", args.left, args.left_team, args.players,
                           os.path.join(self.dir, "left-" + args.left_team)),
                      Team("right", args.right, args.right_team, args.players,
                           os.path.join(self.dir, "right-" + args.right_team))]
        self.server = None
        self.monitor = None
        self.figures = Figures()
        self.trace = None
        self.kicked_off = [False, False]
        self.end = None
        self.progress_shown = False
        self.last_line = 0.0
        self.start_proc = None
        self.kick_sent = 0.0
        self.half_time_seen = None
        self.last_score = (0, 0)
        self.last_check = 0.0
        self.last_msgs, self.last_change = 0, 0.0

    # --- output ---

    def say(self, text, err=False):
        stream = sys.stderr if err else self.out
        if self.progress_shown:
            self.out.write("\r\033[K")
            self.out.flush()
            self.progress_shown = False
        print(text, file=stream, flush=True)

    def progress(self, force=False):
        s = self.monitor.state
        line = "%s half  %5.1f s  %-16s %s %d : %d %s" % (
            "1st" if s.half == 1 else "2nd", s.time, s.play_mode,
            self.teams[0].name, s.score_left, s.score_right, self.teams[1].name)
        now = self.clock()
        if self.tty:
            if force or now - self.last_line >= 0.25:
                self.out.write("\r\033[K" + line)
                self.out.flush()
                self.progress_shown = True
                self.last_line = now
        elif force or now - self.last_line >= 60.0:
            print(line, file=self.out, flush=True)
            self.last_line = now

    # --- steps ---

    def start_server(self):
        if simserver.listening("127.0.0.1", simserver.AGENT_PORT):
            if not simserver.listening("127.0.0.1", simserver.MONITOR_PORT):
                raise SystemExit(self.fail(
                    "a server listens on 127.0.0.1:%d but nothing on its monitor port %d"
                    % (simserver.AGENT_PORT, simserver.MONITOR_PORT), 2))
            self.say("using the soccer server already listening on 127.0.0.1:%d" % simserver.AGENT_PORT)
            return
        try:
            binary, install = simserver.find_server()
        except simserver.NotFound as e:
            self.fail(str(e), 2)
            self.say(simserver.how_to_get(), err=True)
            raise SystemExit(2)
        self.server = simserver.Server(binary, install, os.path.join(self.dir, "server"))
        self.say("starting the soccer server %s (log: %s)" % (binary, self.server.log_path))
        try:
            self.server.start()
        except RuntimeError as e:
            raise SystemExit(self.fail(str(e), 1))

    def fail(self, text, status):
        self.say("match.sh: " + text, err=True)
        return status

    def poll(self, seconds):
        try:
            self.monitor.poll(seconds)
        except EOFError:
            raise SystemExit(self.fail("the soccer server closed its monitor port", 1))
        except simmonitor.ProtocolError as e:
            raise SystemExit(self.fail("unreadable message on the monitor port: %s" % e, 1))

    def connect_monitor(self):
        self.monitor = simmonitor.Monitor("127.0.0.1", simserver.MONITOR_PORT)
        try:
            self.monitor.connect(timeout=10.0)
        except OSError as e:
            raise SystemExit(self.fail("cannot connect to the monitor port %d: %s"
                                       % (simserver.MONITOR_PORT, e), 1))
        deadline = self.clock() + 10.0
        while self.monitor.messages == 0:
            if self.clock() > deadline:
                raise SystemExit(self.fail("the server sends nothing on its monitor port", 1))
            self.poll(0.2)
        s = self.monitor.state
        if s.half != 1 or s.time > 0 or s.play_mode != "BeforeKickOff":
            raise SystemExit(self.fail(
                "the server's game is not at its start (half %d, %.1f s, %s); restart the server"
                % (s.half, s.time, s.play_mode), 1))
        if s.team_left and s.team_left != self.teams[0].name:
            raise SystemExit(self.fail("the server's left side is taken by team %s" % s.team_left, 1))

    def start_team(self, team):
        env = dict(os.environ)
        env.update(BREVANE_PROGRAM=team.program, BREVANE_PLAYERS=str(team.players),
                   BREVANE_LOGS=self.logs, BREVANE_LOG_DIR=team.log_dir)
        # A session of its own: a Ctrl-C here is for the match, which then
        # lets the start finish and stops what it started. Its errors (and
        # a build's output) go straight to the terminal; its one line of
        # output is short enough for the pipe.
        proc = subprocess.Popen([os.path.join(ROOT, "scripts", "start.sh"), "127.0.0.1", team.name],
                                env=env, stdout=subprocess.PIPE, text=True, start_new_session=True)
        team.started = True
        self.start_proc = proc
        while proc.poll() is None:
            self.poll(0.1)
        self.start_proc = None
        text = proc.stdout.read().strip()
        if proc.returncode != 0:
            if text:
                self.say(text, err=True)
            raise SystemExit(self.fail("team %s did not start" % team.name, 1))
        self.say(text)

    def wait_for_robots(self):
        want = sum(t.players for t in self.teams)
        deadline = self.clock() + 30.0
        while len(self.monitor.scene.robots()) < want:
            if self.clock() > deadline:
                raise SystemExit(self.fail("only %d of %d robots appeared on the field"
                                           % (len(self.monitor.scene.robots()), want), 1))
            self.poll(0.2)
            self.report_ended()
        s = self.monitor.state
        if s.team_left != self.teams[0].name or s.team_right != self.teams[1].name:
            raise SystemExit(self.fail("the server put %s left and %s right"
                                       % (s.team_left, s.team_right), 1))
        # The players beam to their kick-off places once they know the game
        # state; the robots then settle.
        settle = self.clock() + 3.0
        while self.clock() < settle:
            self.poll(0.2)

    def report_ended(self):
        for team in self.teams:
            for n, status, log in team.check_players():
                self.say("player %d of %s ended (exit status %s) during the match; log: %s"
                         % (n, team.name, status, log), err=True)

    def kick_off(self, half, now=None):
        self.monitor.send("(kickOff %s)" % ("Left" if half == 1 else "Right"))
        self.kicked_off[half - 1] = True
        self.kick_sent = self.clock() if now is None else now

    def on_message(self):
        """Each monitor message: the figures, and the trace."""
        s = self.monitor.state
        robots = self.monitor.scene.robots()
        self.figures.update(s.time, robots, s.play_mode)
        if self.trace is not None:
            self.trace.write(s, self.monitor.scene.ball(), robots)

    def play(self):
        os.makedirs(self.dir, exist_ok=True)
        self.trace = Trace(os.path.join(self.dir, TRACE_NAME))
        self.figures.start(self.monitor.scene.robots(), self.monitor.state.play_mode)
        self.monitor.on_message = self.on_message
        self.kick_off(1)
        self.last_msgs, self.last_change = self.monitor.messages, self.clock()
        while self.end is None:
            self.poll(0.1)
            self.step(self.clock())
        self.progress(force=True)
        self.trace.close()

    def step(self, now):
        """One look at the game after a poll of the monitor."""
        s = self.monitor.state
        if self.monitor.messages != self.last_msgs:
            self.last_msgs, self.last_change = self.monitor.messages, now
        elif now - self.last_change > 10.0:
            raise SystemExit(self.fail("the server has sent nothing for 10 s", 1))
        score = (s.score_left, s.score_right)
        if score != self.last_score:
            scorer = self.teams[0 if score[0] > self.last_score[0] else 1].name
            self.last_score = score
            self.say("goal for %s at %.1f s: %s" % (scorer, s.time, self.score_text()))
        if now - self.last_check >= 1.0:
            self.report_ended()
            self.last_check = now
        if s.play_mode == "GameOver":
            self.end = "game over"
            return
        if self.args.seconds is not None and s.time >= self.args.seconds:
            self.end = "--seconds %g" % self.args.seconds
            return
        if s.play_mode == "BeforeKickOff":
            if s.half == 2 and not self.kicked_off[1]:
                # Half time: the players beam back to their places first.
                if self.half_time_seen is None:
                    self.half_time_seen = now
                    self.say("half time: %s" % self.score_text())
                elif now - self.half_time_seen >= 3.0:
                    self.kick_off(2, now)
            elif now - self.kick_sent > 2.0:
                self.kick_off(s.half, now)  # the command got lost
        self.progress()

    def score_text(self):
        s = self.monitor.state
        return "%s %d : %d %s" % (self.teams[0].name, s.score_left, s.score_right, self.teams[1].name)

    def stop_all(self):
        """Stops whatever this match started; safe to call more than once."""
        if self.start_proc is not None:
            self.start_proc.wait()
        for team in self.teams:
            if team.started:
                team.started = False
                env = dict(os.environ, BREVANE_LOGS=self.logs)
                r = subprocess.run([os.path.join(ROOT, "scripts", "kill.sh"), team.name], env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
                if r.returncode != 0 and "is not running" not in r.stdout:
                    self.say(r.stdout.strip(), err=True)
        if self.trace is not None:
            self.trace.close()
        if self.monitor is not None:
            self.monitor.close()
        if self.server is not None:
            self.server.stop()
            self.server = None

    def result(self):
        s = self.monitor.state if self.monitor else simmonitor.GameState()
        scores = {"left": s.score_left, "right": s.score_right}
        f = self.figures
        minutes = f.counted_time / 60.0
        teams = []
        for t in self.teams:
            falls = f.falls[t.side]
            teams.append({
                "side": t.side, "team": t.name, "program": t.program, "players": t.players,
                "goals": scores[t.side], "falls": falls,
                "falls_per_minute": round(falls / minutes, 2) if minutes > 0 else None,
                "falls_per_robot_minute": round(falls / (minutes * t.players), 3) if minutes > 0 else None,
                "falls_by_player": {str(n): c for n, c in sorted(f.falls_by_player(t.side, t.players).items())},
                "falls_by_minute": f.falls_by_minute(t.side),
                "set_pieces_against": f.set_pieces_against(t.side),
                "opponent_half_player_seconds": round(f.opponent_half[t.side], 1),
                "players_ended": [{"unum": n, "exit_status": st, "log": t.log(n)}
                                  for n, st in sorted(t.ended.items())],
            })
        return {"result": self.score_text() if self.monitor else "",
                "end": self.end, "half": s.half, "game_time": round(s.time, 2),
                "counted_game_time": round(f.counted_time, 2),
                "teams": teams,
                "set_pieces": [{"time": round(tm, 2), "play_mode": pm, "kind": kind, "against": against}
                               for tm, pm, kind, against in f.set_pieces],
                "falls": [{"time": round(tm, 2), "side": side, "unum": n} for tm, side, n in f.fall_list],
                "logs": self.dir, "trace": os.path.join(self.dir, TRACE_NAME)}

    def print_result(self, res):
        self.say("")
        how = {"game over": "full match, game over at %.1f s",
               "interrupted": "interrupted at %.1f s"}.get(res["end"], "ended by " + str(res["end"]) + " at %.1f s")
        self.say("result: %s  (%s of game time)" % (res["result"], how % res["game_time"]))
        self.say("%-16s %-10s %5s %5s %9s %13s  %s" % (
            "team", "program", "goals", "falls", "per minute", "per robot-min",
            "time in the opponent half (player-seconds)"))
        for t in res["teams"]:
            self.say("%-16s %-10s %5d %5d %9s %13s  %.1f" % (
                t["team"], t["program"], t["goals"], t["falls"], rate(t["falls_per_minute"], 1),
                rate(t["falls_per_robot_minute"], 2), t["opponent_half_player_seconds"]))
        for t in res["teams"]:
            by_player = " ".join("%s:%d" % kv for kv in t["falls_by_player"].items())
            self.say("falls of %s by player: %s" % (t["team"], by_player))
            self.say("falls of %s by minute of game time: %s"
                     % (t["team"], " ".join(str(c) for c in t["falls_by_minute"]) or "-"))
        for t in res["teams"]:
            against = t["set_pieces_against"]
            self.say("set pieces against %s: %s" % (t["team"], ", ".join(
                "%d %s" % (against[kind], name) for kind, name in SET_PIECE_KINDS)))
        for t in res["teams"]:
            for p in t["players_ended"]:
                self.say("player %d of %s ended during the match (exit status %s); log: %s"
                         % (p["unum"], t["team"], p["exit_status"], p["log"]))

    def write_json(self, res):
        path = self.args.json or os.path.join(self.dir, "result.json")
        with open(path, "w") as f:
            json.dump(res, f, indent=2)
            f.write("\n")
        self.say("result written to %s" % path)

    def run(self):
        os.makedirs(self.dir, exist_ok=True)
        self.start_server()
        self.connect_monitor()
        for team in self.teams:
            self.start_team(team)
            # The first team to arrive takes the left side.
            if team.side == "left":
                deadline = self.clock() + 10.0
                while self.monitor.state.team_left != team.name and self.clock() < deadline:
                    self.poll(0.2)
        self.wait_for_robots()
        self.say("kick-off: %s (left, %s) against %s (right, %s), %d per side; logs in %s"
                 % (self.teams[0].name, self.teams[0].program, self.teams[1].name,
                    self.teams[1].program, self.args.players, self.dir))
        self.play()
        self.report_ended()


def main(argv=None):
    args = parse_args(argv)
    match = Match(args)

    def on_signal(signum, _frame):
        raise Stop()

    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, on_signal)
    status = 0
    try:
        match.run()
    except Stop:
        match.end = "interrupted"
        status = 130
    except SystemExit as e:
        status = e.code if isinstance(e.code, int) else 1
    finally:
        # Nothing may stop the clean-up half-way.
        for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            signal.signal(sig, signal.SIG_IGN)
        match.stop_all()
    if match.kicked_off[0]:
        res = match.result()
        match.print_result(res)
        match.write_json(res)
    if match.end == "interrupted":
        match.say("match interrupted; everything it started is stopped")
    return status


if __name__ == "__main__":
    sys.exit(main())
