#!/usr/bin/env python3
"""Writes the small handmade seed files of the fuzz targets into fuzz/corpus/.

Each seed is a valid file of its kind (or, for OBJ, one that shows the line
forms the reader knows), small enough that the fuzzer runs fast on it.
scripts/fuzz.sh adds the example project's files and its generated level.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# --- OBJ ---------------------------------------------------------------------

TRIANGLE = (
    "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
    "vt 0 0\nvt 1 0\nvt 0 1\n"
    "vn 0 0 1\n"
    "f 1/1/1 2/2/1 3/3/1\n"
)

FORMS = (
    "\ufeff# every corner form, relative indices, a quad, skipped lines\n"
    "mtllib m.mtl\no thing\ng part\ns 1\nusemtl stone\n"
    "v -1.5 2e1 .25 1.0\nV 1 0 0\nvp 0.5 0.5\nv 1e-3 -0 +3\n"
    "vt 0.25 0.75 0.0\nVT 1\nvn 0 1 0\nVN 0 0 -1\n"
    "f 1/1/1 2/2/2 3/1/1\n"
    "F 1 2 3\n"
    "f 1//1 2//2 3//1\n"
    "f 1/1 2/2 3/1\n"
    "f -1/-1/-1 -2/-2/-2 -3/-1/-1\n"
    "f 1/1/1 2/2/2 3/1/1 4/2/2\n"
    "f  1/1/1   2/2/2 3/1/1 \n"
    "l 1 2\n \tv 9 9 9\n\n"
)

CRLF = TRIANGLE.replace("\n", "\r\n")

BAD_INDICES = "v 0 0 0\nvt 0 0\nvn 0 0 1\nf 0/0/0 2/1/1 1/x/1\nf 1/1/1\nf\nv 1,5 2 3\n"


# --- BMP ---------------------------------------------------------------------

def bmp(width, height, header_size=40, top_down=False, gap=0):
    stride = (3 * width + 3) // 4 * 4
    rows = bytearray()
    for r in range(height):
        row = bytearray()
        for c in range(width):
            row += bytes(((10 * c + r) & 255, (20 * r + c) & 255, (30 + c + r) & 255))
        row += bytes(stride - len(row))
        rows += row
    offset = 14 + header_size + gap
    if header_size == 12:
        info = struct.pack("<IhhHH", 12, width, height, 1, 24)
    else:
        info = struct.pack("<IiiHHIIiiII", header_size, width, -height if top_down else height,
                           1, 24, 0, len(rows), 2835, 2835, 0, 0)
        info += bytes(header_size - len(info))
    head = b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset)
    return head + info + bytes(gap) + bytes(rows)


# --- Project file --------------------------------------------------------------

def text_field(text):
    data = text.encode("utf-8")[:249]
    return data + bytes(250 - len(data))


def layer_record(obj, bmp_path, kind, frames, draw, collision):
    record = text_field(obj) + text_field(bmp_path)
    record += struct.pack("<3f", 0.5, 0, -1)           # speed
    record += struct.pack("<3f", 0, 0.25, 0)           # vibration
    record += struct.pack("<6f", -1, 1, 2, 1, -1, -2)  # trigger area
    record += struct.pack("<ii", kind, frames)
    record += bytes((draw, collision, 0, 0))
    assert len(record) == 560
    return record


def project(layers, targets):
    data = b"KESGENPROJ" + text_field("Seed") + text_field("Fuzz")
    data += struct.pack("<iif", 1, 2, 25.0)
    data += text_field("0.0000,1.0000,0.0000,0.0,90.0,0.0") + text_field("0.1,0.2,0.3")
    data += struct.pack("<i", len(layers)) + b"".join(layers)
    data += struct.pack("<i", len(targets))
    data += b"".join(struct.pack("<3fi", x, y, z, kind) for x, y, z, kind in targets)
    return data


# --- Level file --------------------------------------------------------------

FORMAT_ID = bytes.fromhex("379B10DEB4EB4EDDBCCF47B5C03DEDCE")


def level(title, author, layers, keyed, counts):
    data = b"tk3d" + struct.pack("<H", 0) + FORMAT_ID
    for text in (title, author):
        data += struct.pack("<H", len(text)) + text
    data += struct.pack("<HH", 1, 0) + struct.pack("<5H", *counts)
    return data + b"".join(keyed) + b"".join(layers)


def basics(targets):
    chunks = [struct.pack("<Hhhf", 4, 1, 0, 25.0), struct.pack("<Hhhi", 3, 1, 0, len(targets)),
              struct.pack("<HhH3f", 2, -1, 0, 0, 1, 0), struct.pack("<HhH3f", 2, -1, 1, 0, 90, 0),
              struct.pack("<HhH3f", 2, -100, 0, 0.1, 0.2, 0.3)]
    for n, (x, y, z, kind) in enumerate(targets, 1):
        chunks.append(struct.pack("<HhHi", 3, 1, n, kind))
        chunks.append(struct.pack("<HhH3f", 2, 1, n, x, y, z))
    return chunks


def frame(triangles, normals):
    data = struct.pack("<I", triangles)
    for t in range(triangles):
        data += struct.pack("<15f", *[float(t + i) for i in range(15)])
        if normals:
            data += struct.pack("<9f", *([0.0, 0.0, 1.0] * 3))
    return data


def texture(width, height):
    pixels = bytes((i * 7) & 255 for i in range(width * height * 3))
    stream = zlib.compress(pixels, 6)
    return struct.pack("<HHI", width, height, len(stream)) + stream


def layer(kind, flags, params, frames, textures):
    return struct.pack("<HHH", 1, kind, flags) + params + b"".join(frames) + \
        struct.pack("<H", len(textures)) + b"".join(textures)


def main():
    write("obj_reader", "triangle.obj", TRIANGLE)
    write("obj_reader", "forms.obj", FORMS)
    write("obj_reader", "crlf.obj", CRLF)
    write("obj_reader", "bad_indices.obj", BAD_INDICES)

    write("bmp_reader", "info40_3x2.bmp", bmp(3, 2))
    write("bmp_reader", "core12_1x1.bmp", bmp(1, 1, header_size=12))
    write("bmp_reader", "topdown_2x2.bmp", bmp(2, 2, top_down=True))
    write("bmp_reader", "v5_5x1.bmp", bmp(5, 1, header_size=124))
    write("bmp_reader", "gap_4x1.bmp", bmp(4, 1, gap=8))
    write("bmp_reader", "empty_0x0.bmp", bmp(0, 0))

    write("project_file", "empty.kgp", project([], []))
    write("project_file", "two_layers.kgp", project(
        [layer_record("meshes/ground.obj", "textures/grass.bmp", 0, 0, 1, 1),
         layer_record("wave.obj", "", 4, 3, 0, 1)],
        [(1, 2, 3, 0), (-4, 5.5, 6, 1)]))

    write("level_reader", "empty.kes", level(b"Level", b"You", [], basics([]), (0, 3, 1, 1, 0)))
    targets = [(1, 2, 3, 0), (4, 5, 6, 1)]
    float_params = lambda n: struct.pack("<%df" % n, *[float(i) for i in range(n)])
    layers = [
        layer(0, 5, b"", [frame(1, False)], [texture(2, 2)]),
        layer(1, 1, float_params(4), [frame(2, False)], []),
        layer(2, 0, float_params(6), [frame(0, False)], []),
        layer(3, 3, float_params(10), [frame(1, True)], []),
        layer(4, 4, struct.pack("<H", 2), [frame(1, False), frame(1, False)], [texture(1, 3)]),
        layer(5, 0, float_params(6) + struct.pack("<H", 0), [], []),
    ]
    write("level_reader", "every_kind.kes",
          level(b"Seed", b"", layers, basics(targets), (len(layers), 3 + len(targets), 1 + len(targets), 1, 0)))


if __name__ == "__main__":
    main()
