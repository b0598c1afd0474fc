#!/usr/bin/env python3
"""Where the landmark fix's error comes from, on a relay log of a
localiser_check run: the localiser's fix (first seen pair of the fixed
order, raw distances, goal posts at the server's y = +-1.05) recomputed
from each vision message, and the same with the distances projected onto
the ground (the elevation plus the head pitch, torso taken as upright)
and/or the posts at +-1.0 (where the localiser had them before), each
against the camera's true position (mypos).

    tools/localiser_check/fix_variants.py RELAY.jsonl [T_FROM T_TO]

T_FROM/T_TO select server times (the "(time (now T))" of the messages).
"""
import json
import math
import re
import statistics
import sys

PAIRS = [(5, 6), (6, 2), (2, 4), (4, 8), (8, 7), (7, 3), (3, 1), (1, 5)]
NAMES = {1: "F1L", 2: "F2L", 3: "F1R", 4: "F2R", 5: "G1L", 6: "G2L", 7: "G1R", 8: "G2R"}


def coords(post_y):
    return {1: (-15, 10), 2: (-15, -10), 3: (15, 10), 4: (15, -10),
            5: (-15, post_y), 6: (-15, -post_y), 7: (15, post_y), 8: (15, -post_y)}


def left_intersection(c0, r0, c1, r1):
    """The intersection to the left of the line from c0 to c1, or None."""
    dx, dy = c1[0] - c0[0], c1[1] - c0[1]
    a = math.hypot(dx, dy)
    if a == 0 or a > r0 + r1 or a < abs(r0 - r1):
        return None
    qx = ((r0 * r0 - r1 * r1) / a + a) / 2
    qy = math.sqrt(max(0.0, r0 * r0 - qx * qx))
    c, s = dx / a, dy / a
    return (c0[0] + c * qx - s * qy, c0[1] + s * qx + c * qy)


def main():
    t_from = float(sys.argv[2]) if len(sys.argv) > 2 else -1e9
    t_to = float(sys.argv[3]) if len(sys.argv) > 3 else 1e9
    variants = {(proj, post): [] for proj in (False, True) for post in (1.0, 1.05)}
    pairs_used = {}
    for line in open(sys.argv[1]):
        d = json.loads(line)
        m = d["msg"]
        if d["dir"] != "s2a" or "(mypos" not in m:
            continue
        now = float(re.search(r"\(time \(now ([-\d.]+)\)\)", m).group(1))
        if not t_from <= now <= t_to:
            continue
        tx, ty, _ = map(float, re.search(r"\(mypos ([-\d.]+) ([-\d.]+) ([-\d.]+)\)", m).groups())
        hp = re.search(r"\(HJ \(n hj2\) \(ax ([-\d.]+)\)\)", m)
        pitch = float(hp.group(1)) if hp else 0.0
        seen = {}
        for i, n in NAMES.items():
            q = re.search(r"\(" + n + r" \(pol ([-\d.]+) ([-\d.]+) ([-\d.]+)\)\)", m)
            if q:
                seen[i] = tuple(map(float, q.groups()))
        for (proj, post), errs in variants.items():
            c = coords(post)
            for i0, i1 in PAIRS:
                if i0 not in seen or i1 not in seen:
                    continue
                r = []
                for i in (i0, i1):
                    dist, _, el = seen[i]
                    r.append(dist * math.cos(math.radians(el + pitch)) if proj else dist)
                if r[0] == r[1]:
                    r[0] += 0.01
                p = left_intersection(c[i0], r[0], c[i1], r[1])
                if p is None:
                    continue
                errs.append(math.hypot(p[0] - tx, p[1] - ty))
                if not proj and post == 1.05:
                    key = NAMES[i0] + "-" + NAMES[i1]
                    pairs_used[key] = pairs_used.get(key, 0) + 1
                break
    print("pairs used:", ", ".join("%s %d" % kv for kv in sorted(pairs_used.items())))
    print("%-36s %7s %7s %7s" % ("position error of the fix (m)", "median", "p95", "worst"))
    for (proj, post), errs in variants.items():
        if not errs:
            continue
        errs.sort()
        name = "%s distances, posts at +-%.2f" % ("ground" if proj else "raw", post)
        print("%-36s %7.3f %7.3f %7.3f  (n=%d)" % (name, statistics.median(errs),
                                                 errs[int(0.95 * (len(errs) - 1))], errs[-1], len(errs)))


if __name__ == "__main__":
    main()
