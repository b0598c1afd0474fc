"""Relay hook that makes an agent say something, to see what the server
sends back to it and to the others (brevane-run says nothing itself).

SAY_TEXT   the message, at most 20 printable characters without spaces or
           parentheses (default "hello"); the server ignores anything else.
SAY_EVERY  every how many server frames of the connection (default 50: 1 s).
SAY_START  the first server frame at which it is said (default 10).
"""
import os


def hook(msg, state):
    every = int(os.environ.get("SAY_EVERY", "50"))
    start = int(os.environ.get("SAY_START", "10"))
    frames = state.get("frames", 0)
    if frames >= start and (frames - start) % every == 0 and state.get("said_at") != frames:
        state["said_at"] = frames
        return msg + "(say %s)" % os.environ.get("SAY_TEXT", "hello")
    return msg
