"""Relay hook that throws robots over by overriding their leg commands.

Every setting is a list separated by ";", taken by the connection's number
(modulo its length), so that several agents on one server can be thrown
in different ways at once:

THROW_CMDS    commands appended to every agent frame during the throw,
              e.g. "(lle3 -6)(rle3 -6)"; they win over the agent's own
              commands for those joints. At the end of the throw the same
              joints get speed 0 once; from then on only the agent commands
              them.
THROW_START   server frame of the connection at which the throw begins
              (default 150: 3 s after connecting).
THROW_FRAMES  length of the throw in frames (default 15: 0.3 s).
THROW_BEAM    "x y heading" (metres, degrees): the robot is beamed there
              around its 30th frame, before kick-off.
THROW_PRE_POSE  e.g. "laj1=-104,raj1=-104": those joints (perceptor names,
              degrees) are held at the given angles for the second before
              the throw, to see how the pose the robot falls in changes
              its stand-up.
THROW_POST_POSE the same, held from the end of the throw on.
"""
import os
import re

HJ_RE = re.compile(r"\(HJ \(n (\w+)\) \(ax ([-0-9.eE]+)\)\)")


def setting(name, default, conn):
    items = os.environ.get(name, default).split(";")
    return items[conn % len(items)]


def pose(text):
    return [(name, float(v)) for name, v in (item.split("=") for item in text.split(",") if item)]


def hold_pose(state, joints):
    angles = dict((n, float(v)) for n, v in HJ_RE.findall(state.get("msg", "")))
    out = ""
    for name, target in joints:
        if name in angles:
            out += "(%s %.2f)" % (name.replace("j", "e"), (target - angles[name]) / 4.0)
    return out


def hook(msg, state):
    c = state.get("conn", 0)
    cmds = setting("THROW_CMDS", "(lle3 -6)(rle3 -6)", c)
    start = int(setting("THROW_START", "150", c))
    frames = int(setting("THROW_FRAMES", "15", c))
    beam = setting("THROW_BEAM", "", c)
    f = state["frames"]
    if beam and 30 <= f < 33:
        msg += "(beam %s)" % beam
    pre = pose(setting("THROW_PRE_POSE", "", c))
    if pre and start - 50 <= f < start:
        return msg + hold_pose(state, pre)
    if start <= f < start + frames:
        return msg + cmds
    if f >= start + frames:
        if not state.get("throw_zeroed"):
            state["throw_zeroed"] = True
            msg += "".join("(%s 0)" % name for name in re.findall(r"\((\w+) ", cmds))
        msg += hold_pose(state, pose(setting("THROW_POST_POSE", "", c)))
    return msg
