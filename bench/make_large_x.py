"""Writes the large .x files that bench/xload_vs_assimp.sh times, into a build folder (they are
too large to keep in the repository):

    grid.txt.x, grid.bin.x       a 709 x 709 vertex grid, 1,002,528 triangles, with texture
                                 coordinates and one material, as text and as binary
    grid64.bin.x                 the same binary with 64-bit floats
    grid.tzip.x, grid.bzip.x     the same compressed (MSZIP blocks of 32 KiB)
    faceted.bin.x                the grid, binary, with one normal per triangle: six times as many
                                 corners as positions, each position split into one vertex per
                                 normal, as flat-shaded exports are
    blanks-1g.tzip.x             "Mesh { 16000000;" and then blanks up to a stated 1 GiB: about
                                 2 MB on disk; the loader must refuse it without holding 1 GiB

    python3 bench/make_large_x.py --out build/bench
"""

import argparse
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from make_x_fixtures import mszip  # noqa: E402

SIDE = 709
NAME, INTEGER_LIST, FLOAT_LIST, OPEN, CLOSE = 1, 6, 7, 10, 11


def grid():
    positions = [(x * 0.01, y * 0.01, ((x * 7 + y * 13) % 17) * 0.001)
                 for y in range(SIDE) for x in range(SIDE)]
    texcoords = [(x / (SIDE - 1), y / (SIDE - 1)) for y in range(SIDE) for x in range(SIDE)]
    triangles = []
    for y in range(SIDE - 1):
        for x in range(SIDE - 1):
            a = y * SIDE + x
            triangles.append((a, a + SIDE, a + 1))
            triangles.append((a + 1, a + SIDE, a + SIDE + 1))
    return positions, texcoords, triangles


def grid_text(positions, texcoords, triangles):
    lines = ["xof 0303txt 0032", "Mesh Grid {", f" {len(positions)};"]
    lines.append(",\n".join(f" {x:.4f};{y:.4f};{z:.4f};" for x, y, z in positions) + ";")
    lines.append(f" {len(triangles)};")
    lines.append(",\n".join(f" 3;{a},{b},{c};" for a, b, c in triangles) + ";")
    lines.append(" MeshTextureCoords {")
    lines.append(f"  {len(texcoords)};")
    lines.append(",\n".join(f"  {u:.5f};{v:.5f};" for u, v in texcoords) + ";")
    lines.append(" }")
    lines.append(" MeshMaterialList { 1; 1; 0;;")
    lines.append("  Material { 0.8;0.8;0.8;1.0;; 10.0; 0.2;0.2;0.2;; 0.0;0.0;0.0;; }")
    lines.append(" }")
    lines.append("}")
    return "\n".join(lines).encode("ascii") + b"\n"


def token_name(name):
    return struct.pack("<HI", NAME, len(name)) + name.encode("ascii")


def integers(values):
    return struct.pack("<HI", INTEGER_LIST, len(values)) + struct.pack(f"<{len(values)}I", *values)


def floats(values, size=4):
    kind = "f" if size == 4 else "d"
    return struct.pack("<HI", FLOAT_LIST, len(values)) + struct.pack(f"<{len(values)}{kind}",
                                                                      *values)


def flat_normals(positions, triangles):
    """One unit normal per triangle, and each triangle's corners all naming it."""
    normals = []
    for a, b, c in triangles:
        (ax, ay, az), (bx, by, bz), (cx, cy, cz) = positions[a], positions[b], positions[c]
        ux, uy, uz, vx, vy, vz = bx - ax, by - ay, bz - az, cx - ax, cy - ay, cz - az
        n = (uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx)
        length = sum(v * v for v in n) ** 0.5 or 1.0
        normals.append(tuple(v / length for v in n))
    return normals


def grid_binary(positions, texcoords, triangles, float_size=4, with_flat_normals=False):
    out = bytearray(b"xof 0303bin 00" + (b"32" if float_size == 4 else b"64"))
    out += token_name("Mesh") + token_name("Grid") + struct.pack("<H", OPEN)
    out += integers([len(positions)])
    out += floats([c for p in positions for c in p], float_size)
    out += integers([len(triangles)] + [v for t in triangles for v in (3,) + t])
    if with_flat_normals:
        normals = flat_normals(positions, triangles)
        out += token_name("MeshNormals") + struct.pack("<H", OPEN)
        out += integers([len(normals)]) + floats([c for n in normals for c in n], float_size)
        out += integers([len(triangles)] + [v for f in range(len(triangles)) for v in (3, f, f, f)])
        out += struct.pack("<H", CLOSE)
    out += token_name("MeshTextureCoords") + struct.pack("<H", OPEN)
    out += integers([len(texcoords)]) + floats([c for t in texcoords for c in t], float_size)
    out += struct.pack("<H", CLOSE)
    out += token_name("MeshMaterialList") + struct.pack("<H", OPEN) + integers([1, 1, 0])
    out += token_name("Material") + struct.pack("<H", OPEN)
    out += floats([0.8, 0.8, 0.8, 1.0, 10.0, 0.2, 0.2, 0.2, 0.0, 0.0, 0.0], float_size)
    out += struct.pack("<HH", CLOSE, CLOSE) + struct.pack("<H", CLOSE)
    return bytes(out)


def blanks_claiming_a_gigabyte():
    """MSZIP blocks of blanks: every block alike, so one is packed and repeated."""
    block_size = 32768
    total = 1 << 30
    head = b"Mesh { 16000000;"
    first = head + b" " * (block_size - len(head))
    blank = b" " * block_size
    out = bytearray(b"xof 0303tzip0032" + struct.pack("<I", 16 + total))
    previous = b""
    packed_blank = None
    for start in range(0, total, block_size):
        block = first if start == 0 else blank
        if start >= 2 * block_size and packed_blank is not None:
            packed = packed_blank
        else:
            packer = zlib.compressobj(9, zlib.DEFLATED, -15, zdict=previous) if previous \
                else zlib.compressobj(9, zlib.DEFLATED, -15)
            packed = packer.compress(block) + packer.flush()
            if start == block_size:
                packed_blank = packed
        out += struct.pack("<HH", len(block), len(packed) + 2) + b"CK" + packed
        previous = block
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default="build/bench")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    positions, texcoords, triangles = grid()
    text = grid_text(positions, texcoords, triangles)
    binary = grid_binary(positions, texcoords, triangles)
    files = {
        "grid.txt.x": text,
        "grid.bin.x": binary,
        "grid64.bin.x": grid_binary(positions, texcoords, triangles, float_size=8),
        "grid.tzip.x": b"xof 0303tzip0032" + mszip(text[16:], 32768),
        "grid.bzip.x": b"xof 0303bzip0032" + mszip(binary[16:], 32768),
        "faceted.bin.x": grid_binary(positions, texcoords, triangles, with_flat_normals=True),
        "blanks-1g.tzip.x": blanks_claiming_a_gigabyte(),
    }
    for name, data in files.items():
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
