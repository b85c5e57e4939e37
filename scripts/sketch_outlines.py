#!/usr/bin/env python3
"""Draws the two pencil sketches of the show once and writes them as constant
tables into scenes/outlines.cpp: each stroke a hand-drawn-looking polyline
through its key points, with stamps spaced evenly between them, a slight
wobble of the hand, and whole-pixel coordinates.

    python3 scripts/sketch_outlines.py scenes/outlines.cpp [preview.png]

The preview draws both sketches as dark dots on paper, side by side."""
import math
import random
import struct
import sys
import zlib

# Each stroke: name, first and last entry, key points {entry: (x, y)},
# whether it is a loop, its extent (x0, x1, y0, y1), its stamp spacing
# (min, max) and the wobble of the hand in pixels.
HEAD = [
    ("oval", 0, 133, {0: (672, 444), 8: (630, 469), 16: (580, 464), 24: (544, 429), 32: (524, 371),
                      40: (517, 300), 48: (528, 238), 56: (545, 200), 64: (574, 173), 72: (613, 160),
                      80: (649, 169), 88: (679, 197), 96: (694, 232), 104: (706, 280), 112: (709, 327),
                      120: (703, 379), 128: (689, 426), 133: (672, 452)},
     True, (517, 710, 160, 473), (3.0, 13.0), 1.0),
    ("guide line", 134, 168, {134: (525, 319), 135: (519, 316), 136: (515, 317), 137: (527, 320),
                              142: (548, 319), 150: (582, 318), 154: (609, 319), 158: (648, 318),
                              162: (681, 317), 166: (705, 319), 168: (717, 319)},
     False, (515, 717, 316, 320), (3.0, 13.0), 0.8),
    ("centre line", 169, 220, {169: (607, 164), 175: (612, 193), 181: (609, 229), 187: (607, 278),
                               193: (613, 332), 199: (616, 402), 205: (620, 435), 211: (618, 459),
                               217: (621, 480), 220: (621, 491)},
     False, (607, 621, 164, 491), (3.0, 13.0), 1.0),
    ("shoulder arc", 221, 287, {221: (412, 544), 227: (435, 525), 233: (464, 507), 239: (502, 487),
                                245: (539, 474), 251: (570, 467), 257: (611, 464), 263: (655, 466),
                                269: (710, 472), 275: (766, 482), 281: (816, 492), 287: (857, 510)},
     False, (412, 857, 463, 544), (3.0, 13.0), 1.2),
]

BUST = [
    ("head pass", 0, 54, {0: (615, 166), 6: (584, 194), 12: (571, 238), 18: (579, 286), 24: (616, 308),
                          30: (664, 306), 36: (684, 270), 42: (683, 219), 48: (667, 178), 54: (626, 164)},
     True, (571, 687, 163, 312), (6.3, 10.8), 1.3),
    ("shoulders", 55, 115, {55: (539, 379), 61: (544, 328), 67: (578, 304), 73: (631, 302), 79: (678, 311),
                            85: (707, 340), 91: (714, 387), 97: (674, 407), 103: (620, 410),
                            109: (571, 400), 115: (534, 380)},
     True, (534, 715, 300, 410), (6.3, 10.8), 1.3),
    ("cross line", 116, 130, {116: (572, 231), 119: (588, 250), 122: (614, 254), 125: (639, 258),
                              128: (664, 256), 130: (675, 247)},
     False, (572, 675, 231, 259), (6.3, 10.8), 1.0),
    ("centre line", 131, 153, {131: (654, 166), 135: (630, 184), 139: (614, 207), 143: (607, 238),
                               147: (606, 274), 151: (615, 306), 153: (624, 315)},
     False, (604, 654, 166, 315), (6.3, 10.8), 1.0),
    ("further head passes", 154, 287, {154: (568, 242), 160: (583, 286), 166: (623, 304), 172: (671, 294),
                                       178: (686, 250), 184: (675, 206), 190: (651, 170), 196: (608, 166),
                                       202: (580, 199), 208: (568, 244), 214: (582, 286), 220: (626, 299),
                                       226: (671, 287), 232: (684, 244), 238: (678, 195), 244: (644, 167),
                                       250: (596, 164), 256: (574, 200), 262: (566, 250), 268: (584, 287),
                                       274: (634, 294), 280: (671, 275), 286: (682, 226), 287: (680, 218)},
     False, (566, 687, 160, 304), (6.3, 10.8), 1.3),
]


def catmull_rom(p0, p1, p2, p3, t):
    """A point of the centripetal Catmull-Rom span from p1 to p2."""
    def knot(ti, a, b):
        return ti + max(math.dist(a, b), 1e-6) ** 0.5
    t0 = 0.0
    t1 = knot(t0, p0, p1)
    t2 = knot(t1, p1, p2)
    t3 = knot(t2, p2, p3)
    u = t1 + (t2 - t1) * t

    def lerp(a, b, ta, tb):
        w = (u - ta) / (tb - ta)
        return (a[0] + (b[0] - a[0]) * w, a[1] + (b[1] - a[1]) * w)
    a1 = lerp(p0, p1, t0, t1)
    a2 = lerp(p1, p2, t1, t2)
    a3 = lerp(p2, p3, t2, t3)
    b1 = lerp(a1, a2, t0, t2)
    b2 = lerp(a2, a3, t1, t3)
    return lerp(b1, b2, t1, t2)


def smooth_stroke(first, last, keys, loop, wobble, rng):
    """Evenly spaced points along the spline through the key points, with a
    slow sideways wobble that vanishes at every key point."""
    order = sorted(keys)
    pts = [keys[k] for k in order]
    if loop:
        before, after = pts[-1], pts[0]
    else:
        before = (2 * pts[0][0] - pts[1][0], 2 * pts[0][1] - pts[1][1])
        after = (2 * pts[-1][0] - pts[-2][0], 2 * pts[-1][1] - pts[-2][1])
    ext = [before] + pts + [after]
    phase1, phase2 = rng.uniform(0, 6.3), rng.uniform(0, 6.3)
    out = {}
    for s in range(len(order) - 1):
        a, b = order[s], order[s + 1]
        n = b - a
        dense = [catmull_rom(ext[s], ext[s + 1], ext[s + 2], ext[s + 3], j / 400) for j in range(401)]
        lengths = [0.0]
        for j in range(1, len(dense)):
            lengths.append(lengths[-1] + math.dist(dense[j - 1], dense[j]))
        total = lengths[-1]
        out[a] = pts[s]
        for j in range(1, n):
            goal = total * j / n
            k = next(i for i in range(len(lengths)) if lengths[i] >= goal)
            k = max(k, 1)
            w = (goal - lengths[k - 1]) / max(lengths[k] - lengths[k - 1], 1e-9)
            x = dense[k - 1][0] + (dense[k][0] - dense[k - 1][0]) * w
            y = dense[k - 1][1] + (dense[k][1] - dense[k - 1][1]) * w
            # The hand: a slow sideways drift, gone at both key points.
            dx, dy = dense[k][0] - dense[k - 1][0], dense[k][1] - dense[k - 1][1]
            norm = math.hypot(dx, dy) or 1.0
            i = a + j
            taper = math.sin(math.pi * j / n)
            side = wobble * taper * (0.7 * math.sin(i * 0.55 + phase1) + 0.3 * math.sin(i * 1.7 + phase2))
            out[i] = (x - dy / norm * side, y + dx / norm * side)
    out[last] = pts[-1]
    return out


def fits(points, i, p, first, last, box, spacing):
    x0, x1, y0, y1 = box
    if not (x0 <= p[0] <= x1 and y0 <= p[1] <= y1):
        return False
    for j in (i - 1, i + 1):
        if first <= j <= last:
            d = math.dist(p, points[j])
            if not (spacing[0] <= d <= spacing[1]):
                return False
    return True


def settle(points, smooth, first, last, keys, box, spacing):
    """Moves whole-pixel points that break the spacing or the extent to the
    nearest pixel that keeps both, as close to the smooth line as can be."""
    for _ in range(50):
        changed = False
        for i in range(first, last + 1):
            if i in keys or fits(points, i, points[i], first, last, box, spacing):
                continue
            best = None
            for dx in range(-4, 5):
                for dy in range(-4, 5):
                    p = (round(smooth[i][0]) + dx, round(smooth[i][1]) + dy)
                    if fits(points, i, p, first, last, box, spacing):
                        cost = math.dist(p, smooth[i])
                        if best is None or cost < best[0]:
                            best = (cost, p)
            if best is not None:
                points[i] = best[1]
                changed = True
        if not changed:
            break


def reach_extent(points, smooth, first, last, keys, box, spacing):
    """Pushes the stroke out to its stated extent where the spline falls
    short: the point nearest each edge goes to the edge, its neighbours part
    of the way, so the bulge stays smooth."""
    x0, x1, y0, y1 = box
    for axis, edge, sign in ((0, x0, -1), (0, x1, 1), (1, y0, -1), (1, y1, 1)):
        values = [points[i][axis] for i in range(first, last + 1)]
        reached = min(values) if sign < 0 else max(values)
        if reached == edge:
            continue
        free = [i for i in range(first, last + 1) if i not in keys]
        i = min(free, key=lambda k: sign * (edge - points[k][axis]))
        gap = edge - points[i][axis]
        for j, share in ((i, 1.0), (i - 1, 0.6), (i + 1, 0.6), (i - 2, 0.25), (i + 2, 0.25)):
            if first <= j <= last and j not in keys:
                p = list(points[j])
                p[axis] += round(gap * share)
                points[j] = tuple(p)
                s = list(smooth[j])
                s[axis] = p[axis]
                smooth[j] = tuple(s)


def sketch(strokes, seed):
    rng = random.Random(seed)
    table = {}
    for name, first, last, keys, loop, box, spacing, wobble in strokes:
        smooth = smooth_stroke(first, last, keys, loop, wobble, rng)
        points = {i: (round(p[0]), round(p[1])) for i, p in smooth.items()}
        for _ in range(3):
            reach_extent(points, smooth, first, last, keys, box, spacing)
            settle(points, smooth, first, last, keys, box, spacing)
        check(name, points, first, last, keys, box, spacing)
        table.update(points)
    return [table[i] for i in range(288)]


def check(name, points, first, last, keys, box, spacing):
    gaps = [math.dist(points[i], points[i + 1]) for i in range(first, last)]
    xs = [points[i][0] for i in range(first, last + 1)]
    ys = [points[i][1] for i in range(first, last + 1)]
    problems = []
    if (min(xs), max(xs), min(ys), max(ys)) != box:
        problems.append("extent %s" % ((min(xs), max(xs), min(ys), max(ys)),))
    if min(gaps) < spacing[0] or max(gaps) > spacing[1]:
        problems.append("spacing %.2f..%.2f" % (min(gaps), max(gaps)))
    for k, p in keys.items():
        if points[k] != p:
            problems.append("key %d" % k)
    print("%-20s %3d points, spacing %.2f..%.2f mean %.2f %s" % (
        name, last - first + 1, min(gaps), max(gaps), sum(gaps) / len(gaps),
        "; ".join(problems) or "ok"), file=sys.stderr)


def write_table(out, name, table, strokes):
    out.write("const TweenPoint %s[sketchStampCount] = {\n" % name)
    for sname, first, last, *_ in strokes:
        out.write("    // %s, %d to %d\n" % (sname, first, last))
        for row in range(first, last + 1, 6):
            cells = ["{%d, %d}" % table[i] for i in range(row, min(row + 6, last + 1))]
            out.write("    " + ", ".join(cells) + ",\n")
    out.write("};\n")


def write_png(path, tables):
    width, height = 1280, 720
    pixels = bytearray([236] * (width * height))
    for offset, table in tables:
        for x, y in table:
            for dy in range(-3, 4):
                for dx in range(-3, 4):
                    d = math.hypot(dx, dy)
                    if d <= 3.0:
                        px, py = x + dx + offset, y + dy
                        if 0 <= px < width and 0 <= py < height:
                            i = py * width + px
                            pixels[i] = int(pixels[i] * (0.55 + 0.15 * d / 3.0))
    raw = b"".join(b"\0" + bytes(pixels[r * width:(r + 1) * width]) for r in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    head = sketch(HEAD, 3)
    bust = sketch(BUST, 4)
    with open(sys.argv[1], "w") as out:
        out.write("// The two pencil sketches, stamp by stamp. Scene 3 lays stamp i on\n")
        out.write("// headOutline[i], in table order; scene 4 moves it to bustOutline[i].\n")
        out.write("// Drawn once by scripts/sketch_outlines.py and kept as they are.\n")
        out.write('#include "scenes/outlines.h"\n\n')
        out.write("// A tall oval, a guide line across it, a centre line through it and a\n")
        out.write("// wide shoulder arc below it.\n")
        write_table(out, "headOutline", head, HEAD)
        out.write("\n// A smaller, looser head drawn in several passes with a cross of guide\n")
        out.write("// lines, above a head-and-shoulders outline.\n")
        write_table(out, "bustOutline", bust, BUST)
    if len(sys.argv) > 2:
        write_png(sys.argv[2], [(-300, head), (300, bust)])


main()
