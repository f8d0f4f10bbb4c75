// Our own reader of DirectX .x mesh files: text, binary and compressed (MSZIP) forms, with 32-
// or 64-bit floats. It gives what D3DXLoadMeshFromX gives for the same file: every mesh of the
// file, in file order, transformed by its frames and merged into one triangle mesh, with the
// materials concatenated and triangle attribute i naming material i.
//
// Portable: no platform header. The native build loads every mesh with it; the Windows build
// falls back to it when D3DX refuses a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct XMaterial {
    float diffuse[4]; // red, green, blue, alpha
    float power;
    float specular[3];           // red, green, blue
    float emissive[3];           // red, green, blue
    std::string textureFileName; // exactly as the file stores it; empty when none is named
};

struct XVertex {
    float position[3];
    float normal[3];
    float texcoord[2]; // u, v
};

struct XMesh {
    std::vector<XVertex> vertices;
    std::vector<std::uint32_t> indices;    // three per triangle, clockwise as in the file
    std::vector<std::uint32_t> attributes; // one material index per triangle
    std::vector<XMaterial> materials;
    // One ARGB colour per vertex (Direct3D's D3DCOLOR), or empty when no mesh of the file gave
    // vertex colours. Lit, a vertex's colour stands in for its material's diffuse colour.
    std::vector<std::uint32_t> colours;
    bool hasNormals = false;   // some mesh of the file gave normals
    bool hasTexcoords = false; // some mesh of the file gave texture coordinates
};

// Reads a whole .x file from memory. On failure returns false, leaves mesh empty and sets
// error to why and where ("line 12: ..." for text, "byte 345: ..." for binary).
bool parseXFile(const std::uint8_t* data, std::size_t size, XMesh& mesh, std::string& error);

// Reads the file (a narrow name, as the platform's file calls take it) and parses it.
bool loadXFile(const char* fileName, XMesh& mesh, std::string& error);
