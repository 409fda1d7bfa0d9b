#!/usr/bin/env python3
"""Writes the example level's project, meshes and textures into this folder.

The level shows every feature: a static textured ground, a moving platform, a
vibrating block, a trigger door, an animated wave of a few numbered frame files,
an animated trigger flag, and a green and a red target.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write_obj(name, quads):
    """Writes quads (each four (x, y, z) corners) as triangles with uv and normals."""
    lines = ["# kesgen example mesh", "o " + os.path.splitext(name)[0]]
    positions, uvs, normals, faces = [], [], [], []
    for quad in quads:
        base = len(positions)
        positions.extend(quad)
        a, b, c = quad[0], quad[1], quad[2]
        u = [b[i] - a[i] for i in range(3)]
        v = [c[i] - a[i] for i in range(3)]
        n = [u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]]
        length = math.sqrt(sum(x * x for x in n)) or 1.0
        normals.append([x / length for x in n])
        uvs.extend([(0, 0), (1, 0), (1, 1), (0, 1)])
        k = len(normals)
        idx = [base + 1, base + 2, base + 3, base + 4]
        faces.append((idx[0], idx[1], idx[2], k))
        faces.append((idx[0], idx[2], idx[3], k))
    lines += ["v %.4f %.4f %.4f" % p for p in positions]
    lines += ["vt %.4f %.4f" % t for t in uvs]
    lines += ["vn %.4f %.4f %.4f" % tuple(n) for n in normals]
    lines.append("s off")
    for a, b, c, n in faces:
        lines.append("f %d/%d/%d %d/%d/%d %d/%d/%d" % (a, a, n, b, b, n, c, c, n))
    with open(os.path.join(HERE, name), "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def box(x0, y0, z0, x1, y1, z1):
    return [
        [(x0, y1, z0), (x1, y1, z0), (x1, y1, z1), (x0, y1, z1)],  # top
        [(x0, y0, z1), (x1, y0, z1), (x1, y0, z0), (x0, y0, z0)],  # bottom
        [(x0, y0, z0), (x1, y0, z0), (x1, y1, z0), (x0, y1, z0)],  # front
        [(x1, y0, z1), (x0, y0, z1), (x0, y1, z1), (x1, y1, z1)],  # back
        [(x0, y0, z1), (x0, y0, z0), (x0, y1, z0), (x0, y1, z1)],  # left
        [(x1, y0, z0), (x1, y0, z1), (x1, y1, z1), (x1, y1, z0)],  # right
    ]


def wave(frame, frames, size=8):
    """A grid of size x size quads whose height follows a travelling wave."""
    phase = 2 * math.pi * frame / frames

    def height(i, j):
        return 0.25 * math.sin(i * 0.8 + phase) * math.cos(j * 0.5)

    quads = []
    for i in range(size):
        for j in range(size):
            quads.append([(i, height(i, j), j), (i + 1, height(i + 1, j), j),
                          (i + 1, height(i + 1, j + 1), j + 1), (i, height(i, j + 1), j + 1)])
    return quads


def write_bmp(name, width, height, colour):
    """A bottom-up 24-bit BMP; colour(x, y) gives (r, g, b)."""
    stride = (3 * width + 3) & ~3
    rows = bytearray()
    for y in range(height):
        row = bytearray()
        for x in range(width):
            r, g, b = colour(x, y)
            row += bytes((b, g, r))
        rows += row + bytes(stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + rows)


def text_field(text):
    data = text.encode("utf-8")
    return data + bytes(250 - len(data))


def layer_record(obj, bmp, kind, speed=(0, 0, 0), vibration=(0, 0, 0), area=(0,) * 6,
                 frames=0, draw=1, collision=1):
    # The trigger area is typed x1,x2,y1,y2,z1,z2 and stored x1,y2,z2,x2,y1,z1.
    x1, x2, y1, y2, z1, z2 = area
    stored = (x1, y2, z2, x2, y1, z1)
    return (text_field(obj) + text_field(bmp) + struct.pack("<3f", *speed)
            + struct.pack("<3f", *vibration) + struct.pack("<6f", *stored)
            + struct.pack("<iiBB", kind, frames, draw, collision) + bytes(2))


def main():
    ground = [[(-20, 0, -20), (-20, 0, 20), (20, 0, 20), (20, 0, -20)]]
    write_obj("ground.obj", ground)
    write_obj("platform.obj", box(-2, 0, -2, 2, 0.5, 2))
    write_obj("block.obj", box(-1, 0, -1, 1, 2, 1))
    write_obj("door.obj", box(-3, 0, -0.25, 3, 4, 0.25))
    frames = 4
    for f in range(1, frames + 1):
        write_obj("wave_%06d.obj" % f, wave(f, frames))
    for f in range(1, 4):
        write_obj("flag_%06d.obj" % f, [[(0, 3, 0), (0, 3, 0.2 * f), (1.5, 2.5, 0.1 * f), (1.5, 3.5, 0.1 * f)]])

    write_bmp("grass.bmp", 32, 32, lambda x, y: (40 + (x * 7 + y * 13) % 40, 140 + (x * y) % 60, 40))
    write_bmp("wood.bmp", 16, 16, lambda x, y: (150 + (y % 4) * 10, 100 + (y % 4) * 5, 50))
    write_bmp("stone.bmp", 16, 16, lambda x, y: ((128 + 30 * ((x // 4 + y // 4) % 2),) * 3))
    write_bmp("water.bmp", 8, 8, lambda x, y: (30, 90 + 10 * x, 200))
    write_bmp("flag.bmp", 5, 3, lambda x, y: (220, 40 * y, 40))  # a width that needs row padding

    layers = [
        layer_record("ground.obj", "grass.bmp", 0),
        layer_record("platform.obj", "wood.bmp", 1, speed=(0, 0.05, 0), frames=100),
        layer_record("block.obj", "stone.bmp", 2, speed=(0.5, 0, 0), vibration=(0.25, 0, 0.25)),
        layer_record("door.obj", "wood.bmp", 3, speed=(0, 0.1, 0), frames=40,
                     area=(-5, 5, 0, 3, -5, 5)),
        layer_record("wave.obj", "water.bmp", 4, frames=frames, collision=0),
        layer_record("flag.obj", "flag.bmp", 5, frames=3, area=(10, 12, 0, 4, 10, 12)),
    ]
    targets = [struct.pack("<3fi", 15, 1, 15, 0), struct.pack("<3fi", -10, 0.5, 5, 1)]

    project = (b"KESGENPROJ" + text_field("Example Valley") + text_field("kesgen")
               + struct.pack("<iif", 1, 2, 25.0)
               + text_field("0.0000,1.0000,-15.0000,0.0,0.0,0.0")
               + text_field("0.4000,0.6000,0.9000")
               + struct.pack("<i", len(layers)) + b"".join(layers)
               + struct.pack("<i", len(targets)) + b"".join(targets))
    with open(os.path.join(HERE, "example.kgp"), "wb") as f:
        f.write(project)


if __name__ == "__main__":
    main()
