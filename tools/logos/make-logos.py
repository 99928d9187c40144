#!/usr/bin/env python3
"""Draws the five player logos of the song card: 32 x 32 RGBA PNGs, one simple mark in
each player's colour (our own designs, not the players' trademarks). Plain Python with
zlib, so the committed images can be remade anywhere:

    tools/logos/make-logos.py resources/

Every logo covers logo pixel (4, 16) with its player's colour; the dashboard's pixel
tests rely on that point."""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZE = 32
SUB = 4  # supersamples per axis

WHITE = (255, 255, 255)


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, inner, outer):
    return lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer


def rounded_square(left, top, right, bottom, radius):
    def inside(x, y):
        qx = max(left + radius - x, 0.0, x - (right - radius))
        qy = max(top + radius - y, 0.0, y - (bottom - radius))
        return qx * qx + qy * qy <= radius * radius and left <= x <= right and top <= y <= bottom
    return inside


def diamond(cx, cy, half):
    return lambda x, y: abs(x - cx) + abs(y - cy) <= half


def box(left, top, right, bottom):
    return lambda x, y: left <= x <= right and top <= y <= bottom


def triangle(a, b, c):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        s1, s2, s3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
        return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


# Each logo: a background shape in the player's colour, then a white mark on top.
LOGOS = {
    # Kugou Music, blue: a disc with a ring.
    "kugou": ((34, 144, 255), disc(16, 16, 15), ring(16, 16, 5.5, 9)),
    # QQ Music, green: a rounded square with three level bars.
    "qqmusic": ((49, 194, 124), rounded_square(1.5, 1.5, 30.5, 30.5, 7),
                union(box(8, 14, 11, 24), box(14.5, 8, 17.5, 24), box(21, 11, 24, 24))),
    # NetEase Cloud Music, red: a diamond with a dot.
    "netease": ((226, 35, 48), diamond(16, 16, 15.5), disc(16, 16, 4.5)),
    # WeSing, pink: a disc with a microphone.
    "wesing": ((255, 72, 120), disc(16, 16, 15),
               union(disc(16, 12, 5), box(14.6, 15, 17.4, 24), box(11, 23, 21, 25.5))),
    # MVBox, orange: a rounded square with a play sign.
    "mvbox": ((255, 140, 0), rounded_square(1.5, 1.5, 30.5, 30.5, 5),
              triangle((12, 9), (12, 23), (23.5, 16))),
}


def render(colour, background, mark):
    rows = []
    for py in range(SIZE):
        row = bytearray()
        for px in range(SIZE):
            inside = marked = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    if background(x, y):
                        inside += 1
                        if mark(x, y):
                            marked += 1
            n = SUB * SUB
            alpha = inside / n
            if inside == 0:
                row += bytes(4)
                continue
            # Colour of the covered part: the mark's share is white.
            w = marked / inside
            rgb = [round(c * (1 - w) + 255 * w) for c in colour]
            row += bytes(rgb + [round(255 * alpha)])
        rows.append(bytes(row))
    return rows


def png(rows):
    raw = b"".join(b"\x00" + r for r in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    out.mkdir(parents=True, exist_ok=True)
    for name, (colour, background, mark) in LOGOS.items():
        rows = render(colour, background, mark)
        assert rows[16][4 * 4:4 * 4 + 4] == bytes(list(colour) + [255]), name
        (out / f"player-{name}.png").write_bytes(png(rows))
        print(out / f"player-{name}.png")


if __name__ == "__main__":
    main()
