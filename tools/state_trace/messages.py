#!/usr/bin/env python3
"""The server messages that one agent received, from a relay log, one per
line, for state_trace:

    tools/state_trace/messages.py run.jsonl CONN > conn.txt
"""
import json
import sys

conn = int(sys.argv[2]) if len(sys.argv) > 2 else 0
for line in open(sys.argv[1]):
    d = json.loads(line)
    if d["dir"] == "s2a" and d.get("conn", 0) == conn:
        print(d["msg"])
