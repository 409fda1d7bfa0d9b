#!/usr/bin/env python3
"""Draws the kesgen application icon (three stacked level layers and a green
target on a dark blue tile) and writes it beside this script: kesgen-16.png,
kesgen-32.png and kesgen-64.png, which the editor carries, the larger sizes
that are installed for the desktop (48, 128 and 256 pixels), and the same
drawing as the scalable kesgen.svg. Standard library only; run it again after
changing the drawing."""

import os
import struct
import zlib

SUPERSAMPLE = 4

BACKGROUND_TOP = (38, 72, 138)
BACKGROUND_BOTTOM = (16, 35, 74)
LAYER_COLOURS = [(242, 163, 58), (59, 179, 168), (232, 238, 247)]  # bottom to top
TARGET = (76, 217, 100)
WHITE = (255, 255, 255)


def inside_rounded_square(u, v, radius):
    """True when (u, v) in [0, 1]^2 lies inside the square with rounded corners."""
    cx = min(max(u, radius), 1 - radius)
    cy = min(max(v, radius), 1 - radius)
    return (u - cx) ** 2 + (v - cy) ** 2 <= radius ** 2


def shade(colour, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in colour)


def colour_at(u, v):
    """The colour (r, g, b, a) of the drawing at (u, v), both in [0, 1]."""
    if not inside_rounded_square(u, v, 0.2):
        return (0, 0, 0, 0)
    t = v
    colour = tuple(int(a + (b - a) * t) for a, b in zip(BACKGROUND_TOP, BACKGROUND_BOTTOM))
    # Three layers seen from above at an angle: diamonds stacked upwards.
    for i, layer in enumerate(LAYER_COLOURS):
        cx, cy, half_w, half_h = 0.42, 0.72 - 0.15 * i, 0.31, 0.13
        d = abs(u - cx) / half_w + abs(v - cy) / half_h
        if d <= 1.0:
            colour = shade(layer, 0.72) if d > 0.82 else layer
    # The target: a green disc with a white ring.
    r = ((u - 0.76) ** 2 + (v - 0.25) ** 2) ** 0.5
    if r <= 0.15:
        colour = WHITE if 0.07 <= r <= 0.10 else TARGET
        if r > 0.13:
            colour = shade(TARGET, 0.7)
    return colour + (255,)


def render(size):
    """Rows of RGBA pixels, each the average of SUPERSAMPLE^2 samples."""
    rows = []
    n = SUPERSAMPLE
    for y in range(size):
        row = bytearray()
        for x in range(size):
            total = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    u = (x + (sx + 0.5) / n) / size
                    v = (y + (sy + 0.5) / n) / size
                    r, g, b, a = colour_at(u, v)
                    total[0] += r * a
                    total[1] += g * a
                    total[2] += b * a
                    total[3] += a
            alpha = total[3]
            if alpha == 0:
                row += bytes(4)
            else:
                row += bytes([round(total[0] / alpha), round(total[1] / alpha),
                              round(total[2] / alpha), round(alpha / (n * n))])
        rows.append(bytes(row))
    return rows


def png_bytes(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg_text():
    """The drawing of colour_at as SVG, on a 256-unit square."""
    n = 256

    def rgb(colour):
        return "#%02x%02x%02x" % colour

    def diamond(cx, cy, half_w, half_h):
        points = [(cx, cy - half_h), (cx + half_w, cy), (cx, cy + half_h), (cx - half_w, cy)]
        return " ".join("%g,%g" % (round(x * n, 3), round(y * n, 3)) for x, y in points)

    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">' % (n, n, n, n),
        '  <defs>',
        '    <linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">',
        '      <stop offset="0" stop-color="%s"/>' % rgb(BACKGROUND_TOP),
        '      <stop offset="1" stop-color="%s"/>' % rgb(BACKGROUND_BOTTOM),
        '    </linearGradient>',
        '  </defs>',
        '  <rect width="%d" height="%d" rx="%g" fill="url(#tile)"/>' % (n, n, 0.2 * n),
    ]
    for i, layer in enumerate(LAYER_COLOURS):
        cx, cy, half_w, half_h = 0.42, 0.72 - 0.15 * i, 0.31, 0.13
        parts.append('  <polygon points="%s" fill="%s"/>' % (diamond(cx, cy, half_w, half_h),
                                                             rgb(shade(layer, 0.72))))
        parts.append('  <polygon points="%s" fill="%s"/>' % (diamond(cx, cy, half_w * 0.82, half_h * 0.82),
                                                             rgb(layer)))
    for radius, colour in ((0.15, shade(TARGET, 0.7)), (0.13, TARGET), (0.10, WHITE), (0.07, TARGET)):
        parts.append('  <circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (0.76 * n, 0.25 * n, radius * n,
                                                                      rgb(colour)))
    parts.append('</svg>')
    return "\n".join(parts) + "\n"


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(folder, "kesgen.svg")
    with open(path, "w") as out:
        out.write(svg_text())
    print("wrote", path)
    for size in (16, 32, 48, 64, 128, 256):
        path = os.path.join(folder, "kesgen-%d.png" % size)
        with open(path, "wb") as out:
            out.write(png_bytes(size, render(size)))
        print("wrote", path)


if __name__ == "__main__":
    main()
