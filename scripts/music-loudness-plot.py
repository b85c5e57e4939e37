#!/usr/bin/env python3
"""Draws the short-term loudness of the track over time as a PNG, from the
"t: ... S: ..." lines of ffmpeg's ebur128 filter on standard input, with the
scene starts and the -16 LUFS target marked.
    music-loudness-plot.py OUT.png SECONDS START [START ...] < ebur128-log"""
import struct
import sys
import zlib

out, seconds, starts = sys.argv[1], float(sys.argv[2]), [float(s) for s in sys.argv[3:]]
width, height, left, top, bottom = 1280, 300, 40, 10, 20
low, high = -40.0, -5.0
pixels = [[(255, 255, 255)] * width for _ in range(height)]


def x_of(t):
    return int(left + t * (width - left - 10) / seconds)


def y_of(lufs):
    lufs = min(high, max(low, lufs))
    return int(top + (high - lufs) * (height - top - bottom) / (high - low))


def dot(x, y, colour):
    if 0 <= x < width and 0 <= y < height:
        pixels[y][x] = colour


for lufs in (-10, -16, -20, -30, -40):
    for x in range(left, width):
        dot(x, y_of(lufs), (200, 0, 0) if lufs == -16 else (200, 200, 200))
for s in starts:
    for y in range(top, height - bottom):
        dot(x_of(s), y, (150, 150, 150))
points = []
for line in sys.stdin:
    if "t:" not in line or "S:" not in line:
        continue
    words = line.split()
    try:
        t = float(words[words.index("t:") + 1])
        s = float(words[words.index("S:") + 1])
    except (ValueError, IndexError):
        continue
    points.append((x_of(t), y_of(s)))
for (x0, y0), (x1, y1) in zip(points, points[1:]):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i // steps
        y = y0 + (y1 - y0) * i // steps
        for dy in (0, 1):
            dot(x, y + dy, (30, 80, 160))

raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


with open(out, "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
