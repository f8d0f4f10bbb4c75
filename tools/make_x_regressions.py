#!/usr/bin/env python3
"""Writes the loader's regression files: one small .x file for each kind of input that has
broken readers of the format, each refused with its place or read as a careful reader would
(tests/xfile/x_mesh_test.cpp holds what each must give).

    python3 tools/make_x_regressions.py [--out tests/xfile/regressions] [--large FOLDER]

--large also writes, into FOLDER, the two compressed files that once held the loader for
gigabytes or hours: faces of 16,777,218 corners each, and a mesh with a material list and a
vertex colour list repeated 8 million times each. Too large to keep in the repository.
"""

import argparse
import os
import struct

from make_x_fixtures import NAME, STRING, FLOAT_LIST, INTEGER_LIST, mszip, to_binary

TEXT, BIN, TZIP = b"xof 0303txt 0032", b"xof 0303bin 0032", b"xof 0303tzip0032"
TRIANGLE = "3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;;"
RED = "Material Red { 1.0;0.0;0.0;1.0;; 8.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; }\n"
BZIP = b"xof 0303bzip0032"


def text(body):
    return TEXT + body.encode("cp932")


def mesh(children="", data=TRIANGLE):
    return "Mesh {\n" + data + "\n" + children + "}\n"


def compressed(body, block_size=4096):
    return TZIP + mszip(body, block_size)


def lying_blocks():
    """Compressed files whose blocks lie: a block claiming more than it inflates to, one that
    inflates past the file's stated size, and blocks that stop early."""
    good = compressed(text(mesh())[16:])
    stated = struct.unpack("<I", good[16:20])[0]
    claims_more = good[:20] + struct.pack("<H", struct.unpack("<H", good[20:22])[0] - 7) + good[22:]
    balloon = TZIP + struct.pack("<I", 40) + mszip(b" " * 5000 + text(mesh())[16:])[4:]
    return {"compressed-block-lies.x": claims_more,
            "compressed-block-balloons.x": balloon,
            "compressed-ends-early.x": good[:len(good) - 5],
            "compressed-size-lies.x": good[:16] + struct.pack("<I", stated + 100000) + good[20:]}


# A frame's name and a texture's name of 64 KiB each, the longest a name or string may be.
WORDS_AT_THEIR_LIMIT = ("Frame " + "n" * 65536 + " {\n" +
                        mesh(" MeshMaterialList { 1; 1; 0;; Material { 1.0;1.0;1.0;1.0;; 0.0; "
                             "0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"" + "t" * 65536 +
                             "\"; } } }\n") + "}\n")


def with_number(x):
    """The triangle with its second vertex's x as written."""
    return text(mesh(data=TRIANGLE.replace("1.0;0.0;0.0", x + ";0.0;0.0")))


def with_corner(corner):
    return text(mesh(data=TRIANGLE.replace("3;0,1,2", "3;0,1," + corner)))


def numbers():
    """Numbers at and past the bounds of float, double and a 32-bit index, each alone."""
    huge, tiny = "1" + "0" * 400, "0." + "0" * 400 + "1"
    return {"number-nan.x": with_number("nan"),
            "number-infinite.x": with_number("-inf"),
            "number-past-float-range.x": with_number("1e39"),
            "number-past-double-range.x": with_number(huge),
            "number-past-double-range-scaled-down.x": with_number(huge + "e-2"),
            "number-below-double-range-scaled-up.x": with_number(tiny + "e+900"),
            "index-negative.x": with_corner("-1"),
            "index-with-a-fraction.x": with_corner("2.5"),
            "numbers-at-their-bounds.x": text(mesh(data="3; +2;0;0;, 1e-50;0;0;, -3.4e38;1;0;; "
                                                   "1; 3;0,1,2.0;;"))}


def structure():
    """A '}' at the top level ends the data (what follows it is never read); a reference to no
    material; compressed data without blocks; a count past the ceiling; a skipped binary object
    holding an empty list."""
    skipped_empty_list = (BIN + struct.pack("<HI", NAME, 5) + b"Extra" +
                          struct.pack("<HHIHHI", 10, INTEGER_LIST, 0, 11, NAME, 4) + b"Mesh" +
                          struct.pack("<HHII", 10, INTEGER_LIST, 1, 3) +
                          struct.pack("<HI9f", FLOAT_LIST, 9, *[0.0] * 9) +
                          struct.pack("<HI5IH", INTEGER_LIST, 5, 1, 3, 0, 1, 2, 11))
    return {"stray-brace-ends-the-data.x": text(mesh() + "}\n") + with_corner("3")[16:],
            "stray-brace-before-the-data.x": text("}\n" + mesh()),
            "material-reference-unknown.x": text(mesh(" MeshMaterialList { 1; 1; 0;; { Red } }\n")),
            "compressed-without-blocks.x": TZIP + struct.pack("<I", 16),
            "count-past-the-ceiling.x": text("Mesh { 4000000000; }"),
            "binary-skipped-object-with-an-empty-list.x": skipped_empty_list}


def regressions():
    triangle_binary = to_binary(mesh(), 4)
    files = {
        "header-short.x": b"xof 0303tx",
        "header-lies.x": BIN + text(mesh())[16:],
        "name-long.x": compressed(text("Frame " + "n" * 65537 + " { " + mesh() + " }")[16:]),
        "words-at-their-limit.x": compressed(text(WORDS_AT_THEIR_LIMIT)[16:]),
        "binary-words-at-their-limit.x": BZIP + mszip(to_binary(WORDS_AT_THEIR_LIMIT, 4)),
        "name-past-end.x": BIN + struct.pack("<HI", NAME, 1000) + b"Mesh",
        "string-past-end.x": BIN + triangle_binary[:-2] +
        struct.pack("<HI", STRING, 0xFFFFFFF0) + b"x",
        "count-drives-allocation.x": text("Mesh { 16777216; 0.0;0.0;0.0;; }"),
        "count-times-size-overflows.x": BIN + struct.pack("<HI", NAME, 4) + b"Mesh" +
        struct.pack("<HHI", 10, FLOAT_LIST, 0x40000001) + b"\0" * 64,
        "integer-list-past-end.x": BIN + struct.pack("<HI", NAME, 4) + b"Mesh" +
        struct.pack("<HHII", 10, INTEGER_LIST, 3, 1),
        "corner-index-off-by-one.x": with_corner("3"),
        "material-index-off-by-one.x": text(mesh(" MeshMaterialList { 1; 1; 1;; Material "
                                                 "{ 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; "
                                                 "0.0;0.0;0.0;; } }\n")),
        "normal-index-off-by-one.x": text(mesh(" MeshNormals { 1; 0.0;0.0;1.0;; 1; 3;0,0,1;; }\n")),
        "skin-weight-index-off-by-one.x": text(mesh(" SkinWeights { \"bone\"; 1; 3; 1.0;"
                                                    " 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,"
                                                    "1.0,0.0,0.0,0.0,0.0,1.0;; }\n")),
        "fewer-normals-than-vertices.x": text(mesh(" MeshNormals { 1; 0.0;0.0;1.0;; 1; 3;0,0,0;; }\n"
                                                   " MeshTextureCoords { 1; 0.5;0.5;; }\n")),
        "normal-faces-disagree.x": text(mesh(" MeshNormals { 1; 0.0;0.0;1.0;; 2; 3;0,0,0;, "
                                             "3;0,0,0;; }\n")),
        "frames-nested-deeper-than-the-stack.x": compressed(text("Frame {\n" * 100000 + mesh())[16:]),
        "error-after-allocations.x": text(RED + mesh(" MeshMaterialList { 1; 1; 0;; { Red } }\n")
                                          + mesh(" MeshNormals { 1; 0.0;0.0;1.0;; 1; 3;0,0,0;; }\n"
                                                 " @ }\n")),
        "exporter-double-separators.x": text(mesh(data=TRIANGLE.replace(";,", ";;,"))),
        "exporter-indefinite-number.x": with_number("-1.#IND00"),
        "exporter-backslash-texture.x": text(mesh(" MeshMaterialList { 1; 1; 0;; Material { "
                                                  "1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; "
                                                  "TextureFilename { \"C:\\\\tex\\\\kabe.bmp\"; } } }\n")),
        "exporter-one-material-index.x": text(mesh(" MeshMaterialList { 2; 1; 1;; { Red } { Red } }\n",
                                                   TRIANGLE.replace("1; 3;0,1,2;;", "2; 3;0,1,2;, 3;2,1,0;;"))
                                              ).replace(b"Mesh {", RED.encode() + b"Mesh {", 1),
        "decimal-comma.x": text(mesh(data=TRIANGLE.replace("1.0;", "1,0;"))),
        "japanese-names.x": text("Material マン { 1.0;0.0;0.0;1.0;; 8.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; }\n"
                                 "Frame ボーン {\n" + mesh(" MeshMaterialList { 1; 1; 0;; { マン } }\n")
                                 + "}\n"),
        "number-with-400-zeros.x": text(mesh(data=TRIANGLE.replace("1.0;0.0;0.0", "1.0;0." + "0" * 400 + "1;0.0"))),
        # One more child object than a mesh may have, each as small as an object can be.
        "mesh-children-past-the-ceiling.x": compressed(text(mesh(" X{}" * (2**20 + 1)))[16:], 32768),
        "material-lists-repeated.x": compressed(text(mesh(" MeshMaterialList { 65536; 0;; }\n" * 3000
                                               + " MeshVertexColors { 0;; }\n" * 3000
                                               + " " * 140000))[16:]),
        # Type names in any case, as D3DXLoadMeshFromX reads them (Wine's, observed).
        "type-names-in-lower-case.x": text(RED.replace("Material", "material")
                                           + mesh(" meshmateriallist { 1; 1; 0;; { Red } }\n")
                                           .replace("Mesh", "mesh")),
        # The first mesh's later list throws its first list's 65,535 defaults away: with them
        # kept, the second mesh's would pass the ceiling of 65,536 materials. The blanks make
        # room for the counts.
        "material-defaults-thrown-away.x": compressed(text(
            RED + mesh(" MeshMaterialList { 65535; 0;; }\n MeshMaterialList { 1; 1; 0;; { Red } }\n")
            + mesh(" MeshMaterialList { 65535; 1; 0;; }\n") + " " * 140000)[16:]),
        "corners-past-the-ceiling.x": compressed(text(mesh(data="3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, "
                                                           "0.0;1.0;0.0;; 2;\n16777218;" + "0," * 16777218
                                                           + ";\n3;0,1,2;;"))[16:], 32768),
    }
    files.update(lying_blocks())
    files.update(numbers())
    files.update(structure())
    return files


def large():
    corners = "16777218;" + "0," * 16777218 + ";\n"
    faces = mesh(data="3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 30;\n" + corners * 30)
    lists = " MeshMaterialList{65536;0;;}" * 8000000 + " MeshVertexColors{0;}" * 8000000
    return {"faces-of-16777218-corners.x": compressed(text(faces)[16:], 32768),
            "material-lists-8-million.x": compressed(text(mesh(lists + " " * 140000))[16:], 32768)}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "tests", "xfile", "regressions"))
    parser.add_argument("--large")
    args = parser.parse_args()
    for folder, files in [(args.out, regressions())] + ([(args.large, large())] if args.large else []):
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
