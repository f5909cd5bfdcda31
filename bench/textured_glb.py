#!/usr/bin/env python3
"""Writes a textured glTF 2.0 binary (.glb) of about TRIANGLES triangles for
the page's figures: a sphere of stacks and slices with normals and texture
coordinates, and a 256 x 256 checker picture (PNG) embedded as its base
colour texture.

    textured_glb.py TRIANGLES OUT.glb"""
import json
import math
import struct
import sys
import zlib


def checker_png(size=256, square=32):
    rows = b"".join(
        b"\0" + bytes(channel for x in range(size)
                      for channel in ((230, 200, 40) if (x // square + y // square) % 2 else (40, 90, 200)))
        for y in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def sphere(triangles):
    """Positions, normals, texture coordinates and indices of a sphere of
    radius 1 with 2 * stacks * slices triangles, slices twice the stacks."""
    stacks = max(2, round(math.sqrt(triangles / 4)))
    slices = 2 * stacks
    positions, uvs = [], []
    for i in range(stacks + 1):
        theta = math.pi * i / stacks
        for j in range(slices + 1):
            phi = 2 * math.pi * j / slices
            positions.append((math.sin(theta) * math.cos(phi), math.cos(theta), math.sin(theta) * math.sin(phi)))
            uvs.append((j / slices, i / stacks))
    indices = []
    for i in range(stacks):
        for j in range(slices):
            a, b = i * (slices + 1) + j, (i + 1) * (slices + 1) + j
            indices += [a, a + 1, b, a + 1, b + 1, b]
    return positions, positions, uvs, indices


def main():
    if len(sys.argv) != 3 or not sys.argv[1].isdigit():
        print(__doc__, file=sys.stderr)
        return 2
    positions, normals, uvs, indices = sphere(int(sys.argv[1]))
    picture = checker_png()
    parts = [struct.pack(f"<{3 * len(positions)}f", *[c for p in positions for c in p]),
             struct.pack(f"<{3 * len(normals)}f", *[c for n in normals for c in n]),
             struct.pack(f"<{2 * len(uvs)}f", *[c for uv in uvs for c in uv]),
             struct.pack(f"<{len(indices)}I", *indices), picture]
    views, offset = [], 0
    for part in parts:
        views.append({"buffer": 0, "byteOffset": offset, "byteLength": len(part)})
        offset += (len(part) + 3) // 4 * 4
    binary = b"".join(part + b"\0" * ((4 - len(part) % 4) % 4) for part in parts)
    count = len(positions)
    document = {
        "asset": {"version": "2.0", "generator": "letterbot bench/textured_glb.py"},
        "scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "NORMAL": 1, "TEXCOORD_0": 2},
                                    "indices": 3, "material": 0}]}],
        "materials": [{"pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}}],
        "textures": [{"source": 0}], "images": [{"bufferView": 4, "mimeType": "image/png"}],
        "buffers": [{"byteLength": len(binary)}], "bufferViews": views,
        "accessors": [
            {"bufferView": 0, "componentType": 5126, "count": count, "type": "VEC3",
             "min": [-1, -1, -1], "max": [1, 1, 1]},
            {"bufferView": 1, "componentType": 5126, "count": count, "type": "VEC3"},
            {"bufferView": 2, "componentType": 5126, "count": count, "type": "VEC2"},
            {"bufferView": 3, "componentType": 5125, "count": len(indices), "type": "SCALAR"}],
    }
    text = json.dumps(document).encode()
    text += b" " * ((4 - len(text) % 4) % 4)
    with open(sys.argv[2], "wb") as out:
        out.write(struct.pack("<III", 0x46546C67, 2, 12 + 8 + len(text) + 8 + len(binary)))
        out.write(struct.pack("<I4s", len(text), b"JSON") + text)
        out.write(struct.pack("<I4s", len(binary), b"BIN\0") + binary)
    print(f"{sys.argv[2]}: {len(indices) // 3} triangles, {count} vertices, {256}x{256} texture")
    return 0


if __name__ == "__main__":
    sys.exit(main())
