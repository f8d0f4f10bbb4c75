#!/usr/bin/env python3
"""Writes the .x test fixtures of the loader: every file is made here, nothing is copied.

    python3 tools/make_x_fixtures.py [--out tests/xfile/fixtures]

A fixture is written once as text; the binary forms are made from that text by tokenizing it
(the binary form is a tokenized text), and the compressed forms by cutting the text or binary
data into MSZIP blocks of raw deflate, each block using the one before it as its dictionary.

cube.*      one cube in every form (text, binary, both compressed, 32- and 64-bit floats): quads,
            a normal per face (so each corner splits), texture coordinates, declared templates,
            undeclared objects to skip, a material list shorter than the faces that names a
            top-level material by reference.
plain-*     the same two without what Wine's D3DX refuses, to compare the loader with D3DX.
frames.*    nested frames (one named by a number, one quoted) moving a pentagon with vertex
            colours (one named twice, one past its vertices), a mesh without material list or
            colours outside any frame, skinning and animation objects to skip, lax separators.
"""

import argparse
import os
import re
import struct
import zlib

CUBE = r"""
template Vector {
 <3D82AB5E-62DA-11cf-AB39-0020AF71E433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}
template MeshFace {
 <3D82AB5F-62DA-11cf-AB39-0020AF71E433>
 DWORD nFaceVertexIndices;
 array DWORD faceVertexIndices[nFaceVertexIndices];
}
Header { 1; 0; 1; }
Material Red {
 1.0;0.0;0.0;1.0;;
 8.0;
 1.0;1.0;1.0;;
 0.0;0.0;0.0;;
}
Mesh Cube {
 8;
 -1.0;-1.0;-1.0;, -1.0;1.0;-1.0;, 1.0;1.0;-1.0;, 1.0;-1.0;-1.0;,
 -1.0;-1.0;1.0;, -1.0;1.0;1.0;, 1.0;1.0;1.0;, 1.0;-1.0;1.0;;
 6;
 4;0,1,2,3;, 4;7,6,5,4;, 4;4,5,1,0;, 4;3,2,6,7;, 4;1,5,6,2;, 4;4,0,3,7;;
 MeshNormals {
  6;
  0.0;0.0;-1.0;, 0.0;0.0;1.0;, -1.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;, 0.0;-1.0;0.0;;
  6;
  4;0,0,0,0;, 4;1,1,1,1;, 4;2,2,2,2;, 4;3,3,3,3;, 4;4,4,4,4;, 4;5,5,5,5;;
 }
 MeshTextureCoords {
  8;
  0.0;0.0;, 0.0;1.0;, 1.0;1.0;, 1.0;0.0;, 0.0;0.0;, 0.0;1.0;, 1.0;1.0;, 1.0;0.0;;
 }
 VertexDuplicationIndices {
  8; 8; 0,1,2,3,4,5,6,7;
 }
 MeshMaterialList {
  2;
  3;
  1,0,1;
  { Red }
  Material Painted {
   0.5;0.25;0.75;0.5;;
   16.0;
   0.25;0.25;0.25;;
   0.0;0.5;0.0;;
   TextureFilename { "C:\models\cube.bmp"; }
  }
 }
 EffectInstance { "shader.fx"; }
}
"""

FRAMES = r"""
AnimTicksPerSecond { 4800; }
Frame 1 {
 FrameTransformMatrix {
  1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 10.0,0.0,0.0,1.0;;
 }
 Frame "inner" {
  FrameTransformMatrix {
   0.0,1.0,0.0,0.0, -1.0,0.0,0.0,0.0 0.0,0.0,1.0,0.0;; 0.0,5.0,0.0,1.0;;
  }
  Mesh Pentagon {
   5;
   1.0;0.0;0.0;, 2.0;0.0;0.0;, 3.0;1.0;0.0;, 2.0;2.0;0.0; 1.0;2.0;0.0;;
   1;
   5;0,1,2,3,4;;
   MeshNormals { 1; 1.0;0.0;0.0;; 1; 5;0,0,0,0,0;; }
   MeshVertexColors {
    5;
    0;1.0;0.5;0.0;1.0;;,
    2;1.0;1.0;1.0;1.0;;,
    3;2.0;-1.0;0.25;0.5;;,
    9;1.0;1.0;1.0;1.0;;,
    2;0.0;0.0;1.0;1.0;;;
   }
   XSkinMeshHeader { 1; 2; 1; }
   SkinWeights {
    "bone";
    1;
    0;
    1.0;
    1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;
   }
  }
 }
}
Mesh Plain {
 3;
 0.0;0.0;0.0;,0.0;1.0;0.0;,1.0;0.0;0.0;;
 1;
 3;0,1,2;;
}
AnimationSet Walk {
 Animation { { inner } AnimationKey { 0; 1; 0; 4; 0.0,0.0,0.0,1.0;;; } }
}
"""

# Binary token codes.
NAME, STRING, INTEGER, GUID, INTEGER_LIST, FLOAT_LIST = 1, 2, 3, 5, 6, 7
BARE = {"{": 10, "}": 11, "(": 12, ")": 13, "[": 14, "]": 15, "<": 16, ">": 17, ".": 18,
        ",": 19, ";": 20}
KEYWORDS = {"template": 31, "WORD": 40, "DWORD": 41, "FLOAT": 42, "DOUBLE": 43, "CHAR": 44,
            "UCHAR": 45, "SWORD": 46, "SDWORD": 47, "VOID": 48, "LPSTR": 49, "UNICODE": 50,
            "CSTRING": 51, "array": 52}

LEXEME = re.compile(r'\s+|//[^\n]*|"[^"]*"|<[^>]*>|[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?'
                    r'|[A-Za-z_][\w.]*|[{}()\[\];,]')


def guid_bytes(text):
    parts = text.strip("<>").split("-")
    data1, data2, data3 = int(parts[0], 16), int(parts[1], 16), int(parts[2], 16)
    rest = bytes.fromhex(parts[3] + parts[4])
    return struct.pack("<IHH", data1, data2, data3) + rest


def to_binary(text, float_size):
    """The binary form of a text body: consecutive numbers become one list, separators go."""
    out = bytearray()
    numbers = []

    def flush():
        if not numbers:
            return
        floats = isinstance(numbers[0], float)
        out.extend(struct.pack("<HI", FLOAT_LIST if floats else INTEGER_LIST, len(numbers)))
        code = ("d" if float_size == 8 else "f") if floats else "I"
        out.extend(struct.pack("<%d%s" % (len(numbers), code), *numbers))
        numbers.clear()

    lexemes = [m.group(0) for m in LEXEME.finditer(text)]
    lexemes = [x for x in lexemes if not x.isspace() and not x.startswith("//")]
    previous = None
    template_depth = 0  # inside a template declaration, separators and numbers are tokens
    for index, lexeme in enumerate(lexemes):
        if lexeme is None:  # a template's name and brace, written with its keyword
            continue
        if template_depth:
            template_depth += {"{": 1, "}": -1}.get(lexeme, 0)
            if lexeme.isdigit():
                out.extend(struct.pack("<HI", INTEGER, int(lexeme)))
            elif lexeme.startswith("<"):
                out.extend(struct.pack("<H", GUID) + guid_bytes(lexeme))
            elif lexeme in BARE or lexeme in KEYWORDS:
                out.extend(struct.pack("<H", BARE.get(lexeme) or KEYWORDS[lexeme]))
            else:
                out.extend(struct.pack("<HI", NAME, len(lexeme)) + lexeme.encode("ascii"))
            continue
        if lexeme == "template":
            out.extend(struct.pack("<H", KEYWORDS[lexeme]))
            name = lexemes[index + 1]
            out.extend(struct.pack("<HI", NAME, len(name)) + name.encode("ascii"))
            out.extend(struct.pack("<H", BARE["{"]))
            template_depth = 1
            lexemes[index + 1] = lexemes[index + 2] = None
            continue
        following = lexemes[index + 1] if index + 1 < len(lexemes) else ""
        named_object = previous is not None and previous[0].isalpha() and following == "{"
        if re.fullmatch(r"[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?", lexeme) and not named_object:
            is_float = "." in lexeme or "e" in lexeme.lower()
            if numbers and isinstance(numbers[-1], float) != is_float:
                flush()  # a list holds integers or floats, never both
            numbers.append(float(lexeme) if is_float else int(lexeme))
            previous = lexeme
            continue
        if lexeme in (";", ","):
            if previous is not None and previous.startswith('"'):
                # A string's terminator: a 16-bit token, as D3DX reads it (the format's
                # description says 32 bits; the loader takes both).
                out.extend(struct.pack("<H", BARE[lexeme]))
            previous = lexeme
            continue
        flush()
        if lexeme.startswith('"'):
            raw = lexeme[1:-1].encode("cp932")
            out.extend(struct.pack("<HI", STRING, len(raw)) + raw)
        elif lexeme.startswith("<"):
            out.extend(struct.pack("<H", GUID) + guid_bytes(lexeme))
        elif lexeme in BARE:
            out.extend(struct.pack("<H", BARE[lexeme]))
        elif lexeme in KEYWORDS:
            out.extend(struct.pack("<H", KEYWORDS[lexeme]))
        else:
            out.extend(struct.pack("<HI", NAME, len(lexeme)) + lexeme.encode("ascii"))
        previous = lexeme
    flush()
    return bytes(out)


def mszip(body, block_size=4096):
    """MSZIP blocks: each a raw deflate stream with the previous block as its dictionary.
    Small blocks so that even the small fixtures have several."""
    out = bytearray(struct.pack("<I", 16 + len(body)))
    previous = b""
    for start in range(0, len(body), block_size):
        block = body[start:start + block_size]
        if previous:
            packer = zlib.compressobj(9, zlib.DEFLATED, -15, zdict=previous)
        else:
            packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = packer.compress(block) + packer.flush()
        out.extend(struct.pack("<HH", len(block), len(packed) + 2) + b"CK" + packed)
        previous = block
    return bytes(out)


def text_body(text):
    return text.encode("cp932")


def forms(name, text, out):
    written = {
        f"{name}.txt.x": b"xof 0303txt 0032" + text_body(text),
        f"{name}.bin.x": b"xof 0303bin 0032" + to_binary(text, 4),
        f"{name}.tzip.x": b"xof 0303tzip0032" + mszip(text_body(text)),
        f"{name}.bzip.x": b"xof 0303bzip0032" + mszip(to_binary(text, 4)),
        f"{name}64.txt.x": b"xof 0303txt 0064" + text_body(text),
        f"{name}64.bin.x": b"xof 0303bin 0064" + to_binary(text, 8),
    }
    for file_name, data in written.items():
        with open(os.path.join(out, file_name), "wb") as f:
            f.write(data)


def without(text, *blocks):
    for block in blocks:
        assert block in text, block
        text = text.replace(block, "")
    return text


# The same meshes without what Wine's D3DX refuses (undeclared templates, a short material
# list, a frame named by a number), for the comparison with D3DX: scripts/diff-x-loader.sh.
PLAIN_CUBE = without(CUBE, """ VertexDuplicationIndices {
  8; 8; 0,1,2,3,4,5,6,7;
 }
""", """ EffectInstance { "shader.fx"; }
""").replace("  3;\n  1,0,1;", "  6;\n  1,0,1,1,1,1;")
PLAIN_FRAMES = without(FRAMES.replace("0.0,0.0,0.0 0.0", "0.0,0.0,0.0, 0.0")
                       .replace("1.0,0.0;; 0.0,5.0", "1.0,0.0, 0.0,5.0")
                       .replace("2.0;2.0;0.0; 1.0", "2.0;2.0;0.0;, 1.0")
                       .replace("    5;\n    0;1.0;0.5", "    4;\n    0;1.0;0.5"),
                       """    9;1.0;1.0;1.0;1.0;;,
""", """AnimTicksPerSecond { 4800; }
""", """   XSkinMeshHeader { 1; 2; 1; }
""", """   SkinWeights {
    "bone";
    1;
    0;
    1.0;
    1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;
   }
""").replace("Frame 1 {", "Frame Outer {").replace('"inner"', "inner")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "tests", "xfile", "fixtures"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    forms("cube", CUBE, args.out)
    forms("frames", FRAMES, args.out)
    forms("plain-cube", PLAIN_CUBE, args.out)
    forms("plain-frames", PLAIN_FRAMES, args.out)


if __name__ == "__main__":
    main()
