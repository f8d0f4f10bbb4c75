#!/usr/bin/env python3
"""Compares two printouts of a loaded .x mesh (d3dx_probe's form): D3DX's and our loader's.

    python3 tools/compare_x_dumps.py D3DX.txt OURS.txt [--frames]

They agree when the material lists are equal (numbers within TOLERANCE, texture names exactly)
and the triangles are the same: each triangle's three corners (position, normal, texture
coordinate, starting at any corner but in the same winding) with its material, compared as a
multiset, since D3DX may order vertices and triangles otherwise. With --frames (the file has
frame matrices) normals are reported but not held against the loader: Wine's D3DX moves
normals by the frame's translation too, which we do not copy. (Wine also applies nested frames
parent first, and merges a second mesh with indices past its vertices: such files disagree.)
"""

import sys

TOLERANCE = 1e-5


def read(path):
    vertices, triangles, materials = [], [], []
    with open(path) as f:
        text = f.read()
    if not text.startswith(("vertices", "error")):
        sys.exit(f"{path}: the probe printed no mesh and no error: {text[:200]!r}")
    for line in text.splitlines():
        kind, _, rest = line.partition(" ")
        if kind == "error":
            return None
        if kind == "v":
            vertices.append([float(x) for x in rest.split()])
        elif kind == "t":
            triangles.append([int(x) for x in rest.split()])
        elif kind == "m":
            numbers, _, texture = rest.partition(' "')
            materials.append(([float(x) for x in numbers.split()], texture.rstrip('"')))
    return vertices, triangles, materials


def close(a, b):
    return len(a) == len(b) and all(abs(x - y) <= TOLERANCE for x, y in zip(a, b))


def corners(mesh, with_normals):
    """Each triangle as its corners' values, rotated to start at the smallest, and material."""
    vertices, triangles, materials = mesh
    out = []
    for a, b, c, attribute in triangles:
        values = [vertices[i][:3] + (vertices[i][3:6] if with_normals else []) + vertices[i][6:]
                  for i in (a, b, c)]
        start = values.index(min(values))
        out.append((values[start:] + values[:start], materials[attribute]))
    return sorted(out, key=lambda t: (t[0], t[1][0]))


def differences(d3dx, ours, with_normals):
    found = []
    if len(d3dx[2]) != len(ours[2]) or not all(
            close(m[0][:11], n[0][:11]) and m[1] == n[1] for m, n in zip(d3dx[2], ours[2])):
        found.append("materials differ")
    if len(d3dx[1]) != len(ours[1]):
        found.append(f"triangles {len(d3dx[1])} against {len(ours[1])}")
        return found
    if any(i >= len(d3dx[0]) for t in d3dx[1] for i in t[:3]):
        found.append("D3DX gives indices past its own vertices")
        return found
    for (p, pm), (q, qm) in zip(corners(d3dx, with_normals), corners(ours, with_normals)):
        if not all(close(x, y) for x, y in zip(p, q)) or not close(pm[0], qm[0]):
            found.append(f"triangle {p} against {q}")
            break
    return found


def main():
    d3dx, ours = read(sys.argv[1]), read(sys.argv[2])
    frames = "--frames" in sys.argv
    if d3dx is None:
        print("D3DX refuses the file" + ("" if ours is None else "; the loader reads it"))
        return 0
    if ours is None:
        print("the loader refuses a file that D3DX reads")
        return 1
    found = differences(d3dx, ours, not frames)
    if frames and not found and differences(d3dx, ours, True):
        print("agree but for the normals (Wine moves normals by the frame's translation)")
    print("; ".join(found) if found else
          f"agree: {len(ours[1])} triangles, {len(ours[2])} materials, "
          f"vertices {len(d3dx[0])} (D3DX) and {len(ours[0])} (loader)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
