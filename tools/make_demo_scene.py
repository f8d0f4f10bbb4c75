#!/usr/bin/env python3
"""Writes the viewer's demo scene: every file is computed here, nothing is copied.

    python3 tools/make_demo_scene.py                  # remakes assets/demo/
    python3 tools/make_demo_scene.py --out DIR --triangles 200000
                                                      # a heavy model for frame-rate checks
    python3 tools/make_demo_scene.py --out DIR --in-frames
                                                      # the model as parts under nested frames

The scene: model.x, a toy rocket of revolved surfaces (a striped, windowed body with a
texture, a red nose cone, a grey nozzle and four blue fins); kabe.x, a brick wall behind it;
their textures as BMP files named relative to the working folder; フィルター画像.bmp, the
filter image; and the empty capture folder.

The viewer draws the wall at (0, 2.4, 0) and the model at (0, 2.58, 0), with the camera at
(0, 3, -3) looking toward +z. Direct3D culls counter-clockwise triangles, so every triangle
here is wound clockwise as seen from the side its normal points to.
"""

import argparse
import math
import os
import struct

WALL_TEXTURE = "kabe_texture.bmp"
BODY_TEXTURE = "rocket_body.bmp"
FILTER_IMAGE = "フィルター画像.bmp"
CAPTURE_FOLDER = "抜き取り画像保存フォルダ"

# ---------------------------------------------------------------------------------------------
# Images


def write_bmp(path, width, height, pixel):
    """A 24-bit bottom-up BMP; pixel(x, y) gives (r, g, b) with y = 0 at the top."""
    row_length = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(row_length - len(row))
        rows.append(bytes(row))
    image = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)


def clamp_byte(value):
    return max(0, min(255, int(round(value))))


def brick_pixel(x, y):
    """256 × 256: four courses of bricks, every other course shifted by half a brick."""
    course, row_in_course = divmod(y, 64)
    shifted = x + (64 if course % 2 else 0)
    column_in_brick = shifted % 128
    if row_in_course < 6 or column_in_brick < 6:
        return (196, 190, 178)  # mortar
    brick = (shifted // 128) * 7 + course * 3
    shade = 0.82 + 0.18 * ((brick * 37) % 11) / 10
    grain = 0.94 + 0.06 * math.sin(x * 0.9 + y * 1.7) * math.sin(x * 0.23 - y * 0.31)
    edge = 0.85 if row_in_course < 10 or column_in_brick < 10 else 1.0
    f = shade * grain * edge
    return (clamp_byte(178 * f), clamp_byte(84 * f), clamp_byte(58 * f))


def body_pixel(x, y):
    """256 × 128, wrapped once around the body: a red band, portholes, a blue band."""
    if 14 <= y < 30:
        return (200, 40, 36)
    if 98 <= y < 112:
        return (40, 72, 170)
    for centre_x in (32, 96, 160, 224):
        d = math.hypot(x - centre_x, y - 62)
        if d < 13:
            glass = 1.0 - d / 26
            return (clamp_byte(60 * glass), clamp_byte(130 * glass), clamp_byte(210 * glass))
        if d < 17:
            return (150, 150, 160)
    return (236, 236, 230)


def filter_pixel(x, y):
    """128 × 128: a bright centre fading outward, crossed by a grid and a diagonal stripe."""
    d = math.hypot(x - 63.5, y - 63.5) / 90
    level = 255 - 110 * d
    if x % 16 == 0 or y % 16 == 0:
        level -= 70
    stripe = (x + y) % 32 < 4
    r = level - (60 if stripe else 0)
    return (clamp_byte(r), clamp_byte(level), clamp_byte(level))


# ---------------------------------------------------------------------------------------------
# Meshes


class Mesh:
    """Vertices with a normal and a texture coordinate, triangles, one material per triangle."""

    def __init__(self):
        self.positions = []
        self.normals = []
        self.uvs = []
        self.faces = []
        self.face_materials = []

    def add_vertex(self, position, normal, uv):
        self.positions.append(position)
        self.normals.append(normal)
        self.uvs.append(uv)
        return len(self.positions) - 1

    def add_triangle(self, a, b, c, material, outward):
        """Winds a, b, c clockwise as seen from the side that outward points to."""
        pa, pb, pc = self.positions[a], self.positions[b], self.positions[c]
        facing = cross(sub(pb, pa), sub(pc, pa))
        if dot(facing, outward) < 0:
            b, c = c, b
        self.faces.append((a, b, c))
        self.face_materials.append(material)

    def add_quad(self, a, b, c, d, material, outward):
        self.add_triangle(a, b, c, material, outward)
        self.add_triangle(a, c, d, material, outward)


def sub(p, q):
    return (p[0] - q[0], p[1] - q[1], p[2] - q[2])


def cross(p, q):
    return (p[1] * q[2] - p[2] * q[1], p[2] * q[0] - p[0] * q[2], p[0] * q[1] - p[1] * q[0])


def dot(p, q):
    return p[0] * q[0] + p[1] * q[1] + p[2] * q[2]


def normalized(p):
    length = math.sqrt(dot(p, p)) or 1.0
    return (p[0] / length, p[1] / length, p[2] / length)


def add_lathe(mesh, profile, segments, material):
    """Revolves a profile of (radius, height) points, listed bottom to top, about the y axis.
    Normals are smooth along the profile; u runs once around, v from top (0) to bottom (1)."""
    heights = [h for _, h in profile]
    top, bottom = max(heights), min(heights)
    rings = []
    for i, (radius, height) in enumerate(profile):
        before = profile[max(i - 1, 0)]
        after = profile[min(i + 1, len(profile) - 1)]
        dr, dh = after[0] - before[0], after[1] - before[1]
        normal_r, normal_y = dh, -dr  # the profile's tangent turned outward
        ring = []
        for j in range(segments + 1):  # the seam is doubled so u can run from 0 to 1
            angle = 2 * math.pi * j / segments
            c, s = math.cos(angle), math.sin(angle)
            position = (radius * c, height, radius * s)
            normal = normalized((normal_r * c, normal_y, normal_r * s))
            uv = (j / segments, (top - height) / (top - bottom))
            ring.append(mesh.add_vertex(position, normal, uv))
        rings.append(ring)
    for i in range(len(profile) - 1):
        for j in range(segments):
            a, b = rings[i][j], rings[i][j + 1]
            c, d = rings[i + 1][j + 1], rings[i + 1][j]
            outward = normalized(
                tuple(sum(mesh.normals[v][k] for v in (a, b, c, d)) for k in range(3)))
            if profile[i][0] == 0 and profile[i + 1][0] == 0:
                continue
            if profile[i][0] == 0:
                mesh.add_triangle(a, c, d, material, outward)
            elif profile[i + 1][0] == 0:
                mesh.add_triangle(a, b, c, material, outward)
            else:
                mesh.add_quad(a, b, c, d, material, outward)


def sampled(function, start, end, count):
    return [function(start + (end - start) * k / count) for k in range(count + 1)]


def add_fin(mesh, angle, material):
    """A flat swept fin standing out from the body, visible from both sides."""
    c, s = math.cos(angle), math.sin(angle)
    outline = [(0.20, -0.50), (0.42, -0.60), (0.42, -0.42), (0.20, -0.12)]  # radius, height
    side = (-s, 0.0, c)
    for direction in (1, -1):
        normal = tuple(direction * v for v in side)
        offset = tuple(0.008 * v for v in normal)
        corners = []
        for u_index, (radius, height) in enumerate(outline):
            position = (radius * c + offset[0], height, radius * s + offset[2])
            uv = (u_index / 3, 0.0)
            corners.append(mesh.add_vertex(position, normal, uv))
        mesh.add_quad(*corners, material, normal)


def rocket_parts(detail):
    """About 1.2 units tall, centred on the origin, standing along +y: the body, the nose cone,
    the nozzle and the fins, one mesh each, each drawn with its own material 0."""
    segments = 48 * detail
    body, nose, nozzle, fins = Mesh(), Mesh(), Mesh(), Mesh()
    add_lathe(body, sampled(lambda h: (0.22, h), -0.35, 0.25, 6 * detail), segments, 0)

    def nose_radius(h):
        t = (h - 0.25) / 0.37
        return 0.22 * math.sqrt(max(0.0, 1 - t * t)) * (1 - 0.25 * t)

    nose_profile = sampled(lambda h: (nose_radius(h), h), 0.25, 0.62, 14 * detail)
    nose_profile[-1] = (0.0, 0.62)
    add_lathe(nose, nose_profile, segments, 0)

    def nozzle_radius(h):
        t = (-0.35 - h) / 0.22
        return 0.22 - 0.12 * math.sin(t * math.pi * 0.7)

    add_lathe(nozzle, sampled(lambda h: (nozzle_radius(h), h), -0.57, -0.35, 8 * detail),
              segments, 0)
    for k in range(4):
        add_fin(fins, math.pi / 4 + k * math.pi / 2, 0)
    return [body, nose, nozzle, fins]


def rocket(detail):
    """The parts in one mesh, part k drawn with material k."""
    mesh = Mesh()
    for material, part in enumerate(rocket_parts(detail)):
        first = len(mesh.positions)
        mesh.positions += part.positions
        mesh.normals += part.normals
        mesh.uvs += part.uvs
        mesh.faces += [tuple(first + v for v in face) for face in part.faces]
        mesh.face_materials += [material] * len(part.faces)
    return mesh


def wall():
    """A 24 × 14 brick wall two units behind the model, facing the camera (-z)."""
    mesh = Mesh()
    left, right, bottom, top, z = -12.0, 12.0, -6.0, 8.0, 2.0
    normal = (0.0, 0.0, -1.0)
    tiles_u, tiles_v = 12.0, 7.0  # one 2 × 2 tile of four courses per texture repeat
    corners = [
        mesh.add_vertex((left, bottom, z), normal, (0.0, tiles_v)),
        mesh.add_vertex((left, top, z), normal, (0.0, 0.0)),
        mesh.add_vertex((right, top, z), normal, (tiles_u, 0.0)),
        mesh.add_vertex((right, bottom, z), normal, (tiles_u, tiles_v)),
    ]
    mesh.add_quad(*corners, 0, normal)
    return mesh


# A material: diffuse RGBA, specular power, specular RGB, emissive RGB, texture file or None.
ROCKET_MATERIALS = [
    ((0.80, 0.80, 0.80, 1.0), 24.0, (0.9, 0.9, 0.9), (0.0, 0.0, 0.0), BODY_TEXTURE),
    ((0.78, 0.12, 0.10, 1.0), 40.0, (1.0, 1.0, 1.0), (0.0, 0.0, 0.0), None),
    ((0.38, 0.38, 0.42, 1.0), 12.0, (0.6, 0.6, 0.6), (0.0, 0.0, 0.0), None),
    ((0.16, 0.30, 0.72, 1.0), 30.0, (0.8, 0.8, 0.8), (0.0, 0.0, 0.0), None),
]
WALL_MATERIALS = [
    ((0.85, 0.85, 0.85, 1.0), 0.0, (0.0, 0.0, 0.0), (0.0, 0.0, 0.0), WALL_TEXTURE),
]


def numbers(values):
    return ";".join(f"{v:.6f}" for v in values) + ";"


def mesh_text(name, mesh, materials):
    """A Mesh object with normals, texture coordinates and materials."""
    def listing(rows, indent="  "):
        return ",\n".join(indent + row for row in rows) + ";\n"

    faces = [f"3;{a},{b},{c};" for a, b, c in mesh.faces]
    out = [f"Mesh {name} {{\n", f"  {len(mesh.positions)};\n"]
    out.append(listing([numbers(p) for p in mesh.positions]))
    out.append(f"  {len(faces)};\n" + listing(faces))
    out.append("  MeshNormals {\n")
    out.append(f"    {len(mesh.normals)};\n" + listing([numbers(n) for n in mesh.normals], "    "))
    out.append(f"    {len(faces)};\n" + listing(faces, "    "))
    out.append("  }\n  MeshTextureCoords {\n")
    out.append(f"    {len(mesh.uvs)};\n" + listing([numbers(uv) for uv in mesh.uvs], "    "))
    out.append("  }\n  MeshMaterialList {\n")
    out.append(f"    {len(materials)};\n    {len(mesh.face_materials)};\n")
    out.append(listing([str(m) for m in mesh.face_materials], "    "))
    for diffuse, power, specular, emissive, texture in materials:
        out.append("    Material {\n")
        out.append(f"      {numbers(diffuse)};\n      {power:.6f};\n")
        out.append(f"      {numbers(specular)};\n      {numbers(emissive)};\n")
        if texture:
            out.append(f'      TextureFilename {{ "{texture}"; }}\n')
        out.append("    }\n")
    out.append("  }\n}\n")
    return "".join(out)


def x_file_text(name, mesh, materials):
    """The mesh as a text .x file."""
    return "xof 0303txt 0032\n\n" + mesh_text(name, mesh, materials)


def frame_text(name, height, inside):
    """A frame that lifts what it holds by height along y."""
    matrix = numbers((1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, height, 0, 1)).replace(";", ",")
    return (f"Frame {name} {{\n  FrameTransformMatrix {{ {matrix[:-1]};; }}\n"
            + inside + "}\n")


def lowered(mesh, height):
    moved = Mesh()
    moved.positions = [(x, y - height, z) for x, y, z in mesh.positions]
    moved.normals, moved.uvs = mesh.normals, mesh.uvs
    moved.faces, moved.face_materials = mesh.faces, mesh.face_materials
    return moved


def unshared(mesh):
    """Three vertices of its own for every triangle, as many exporters write a mesh."""
    flat = Mesh()
    for face, material in zip(mesh.faces, mesh.face_materials):
        flat.faces.append(tuple(flat.add_vertex(mesh.positions[v], mesh.normals[v], mesh.uvs[v])
                                for v in face))
        flat.face_materials.append(material)
    return flat


def rocket_in_frames_text():
    """The rocket as a modelling program exports a model of parts: one mesh per part, each in
    a frame nested in its parent's and placed by the frames' translations. Merged in file
    order it is the one-mesh rocket, its parts reordered: fins, nozzle, body, nose.

    The fins, first, share vertices between their triangles (32 vertices, 48 indices); the
    other parts do not. Wine's D3DX offsets each later part's indices by the indices before it
    instead of the vertices, so the last part's indices run 16 past the merged mesh's vertices,
    and anything that indexes the merged mesh reads and writes past its buffers."""
    body, nose, nozzle, fins = rocket_parts(1)
    body_material, nose_material, nozzle_material, fin_material = ROCKET_MATERIALS
    tail_frame = frame_text(
        "Tail", -0.35, mesh_text("FinSet", lowered(fins, -0.35), [fin_material])
        + mesh_text("Nozzle", lowered(unshared(nozzle), -0.35), [nozzle_material]))
    nose_frame = frame_text("Nose", 0.25, mesh_text("NoseCone", lowered(unshared(nose), 0.25),
                                                    [nose_material]))
    body_frame = frame_text("Body", 0.0, mesh_text("Hull", unshared(body), [body_material])
                            + nose_frame)
    return "xof 0303txt 0032\n\n" + frame_text("Rocket", 0.0, tail_frame + body_frame)


def write_text(path, text):
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(text)


def detail_for(triangles):
    detail = 1
    while len(rocket(detail).faces) < triangles:
        detail += 1
    return detail


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "assets", "demo"))
    parser.add_argument("--triangles", type=int, default=0,
                        help="make the model at least this many triangles")
    parser.add_argument("--in-frames", action="store_true",
                        help="write the model as one mesh per part under nested frames")
    args = parser.parse_args()

    os.makedirs(os.path.join(args.out, CAPTURE_FOLDER), exist_ok=True)
    keep = os.path.join(args.out, CAPTURE_FOLDER, ".gitkeep")
    open(keep, "a").close()
    model = rocket(detail_for(args.triangles) if args.triangles else 1)
    write_text(os.path.join(args.out, "model.x"),
               rocket_in_frames_text() if args.in_frames
               else x_file_text("Rocket", model, ROCKET_MATERIALS))
    write_text(os.path.join(args.out, "kabe.x"), x_file_text("Wall", wall(), WALL_MATERIALS))
    write_bmp(os.path.join(args.out, WALL_TEXTURE), 256, 256, brick_pixel)
    write_bmp(os.path.join(args.out, BODY_TEXTURE), 256, 128, body_pixel)
    write_bmp(os.path.join(args.out, FILTER_IMAGE), 128, 128, filter_pixel)
    print(f"{args.out}: model {len(model.faces)} triangles")


if __name__ == "__main__":
    main()
