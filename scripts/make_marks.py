#!/usr/bin/env python3
"""Draws the two evaluation marks into resources/: a blue tick (bitmap 133) and a vermilion cross
(bitmap 134), each 128 x 128 on white. Shape tells them apart first; the colours are a pair
from the Okabe-Ito palette that stays distinct with red-green colour blindness, where green and
red would look alike. White is the transparent colour when the marks are drawn,
so the strokes are drawn without antialiasing: a blended edge pixel would show as a pale fringe
on dark plots. A dark rim keeps the marks readable on green spectra and red play bars.
Needs only the Python standard library. Run from anywhere: python3 scripts/make_marks.py"""

import math
import os
import struct
import zlib

SIZE = 128
WHITE = (255, 255, 255)
STROKE = 16  # pixels across a stroke
RIM = 2  # pixels of the darker rim around a stroke


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def draw(segments, fill, rim):
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            # Pixel centres, so the mark is symmetric in the 128 x 128 square.
            d = min(distance_to_segment(x + 0.5, y + 0.5, *s) for s in segments)
            if d <= STROKE / 2:
                row.append(fill)
            elif d <= STROKE / 2 + RIM:
                row.append(rim)
            else:
                row.append(WHITE)
        rows.append(row)
    return rows


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + bytes(c for pixel in row for c in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 2, 0, 0, 0)  # 8-bit RGB, no alpha
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    resources = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    tick = [(22, 68, 50, 98), (50, 98, 106, 30)]
    cross = [(28, 28, 100, 100), (100, 28, 28, 100)]
    marks = {
        "mark_tick.png": draw(tick, (0x00, 0x72, 0xB2), (0, 57, 89)),
        "mark_cross.png": draw(cross, (0xD5, 0x5E, 0x00), (107, 47, 0)),
    }
    for name, rows in marks.items():
        with open(os.path.join(resources, name), "wb") as f:
            f.write(png(rows))


if __name__ == "__main__":
    main()
