// What every mesh the .x loader gives must satisfy, whatever file it came from: checked on our
// fixtures by the unit tests and on every input by the fuzz target.
#pragma once

#include "gfx/mesh_check.h"
#include "xfile/x_mesh.h"

#include <cmath>
#include <regex>
#include <string>

namespace mesh_check {

template <std::size_t N> bool allFinite(const float (&values)[N]) {
    for (float value : values) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    return true;
}

// Why the mesh does not hold together, or "" when it does: its counts, indices, attributes
// and colours as the viewer checks every mesh (gfx/mesh_check.h, tested on its own), and
// every float finite.
inline std::string meshFault(const XMesh& mesh) {
    if (const MeshFault fault = ::meshFault(mesh); fault != MeshFault::none) {
        return "mesh check fault " + std::to_string(static_cast<int>(fault));
    }
    for (const XVertex& v : mesh.vertices) {
        if (!allFinite(v.position) || !allFinite(v.normal) || !allFinite(v.texcoord)) {
            return "a vertex with a float that is not finite";
        }
    }
    for (const XMaterial& m : mesh.materials) {
        if (!allFinite(m.diffuse) || !std::isfinite(m.power) || !allFinite(m.specular) ||
            !allFinite(m.emissive)) {
            return "a material with a float that is not finite";
        }
    }
    return "";
}

// A refusal names its place first: "line 3: ...", "byte 40: ...", "inflated data, line 2: ...".
inline bool startsWithPlace(const std::string& error) {
    static const std::regex place("^(inflated data, )?(line|byte) [0-9]");
    return std::regex_search(error, place);
}

// What the loader gave for one input.
struct Parsed {
    bool read;
    XMesh mesh;
    std::string error;
};

inline Parsed parse(const std::uint8_t* data, std::size_t size) {
    Parsed parsed{};
    parsed.read = parseXFile(data, size, parsed.mesh, parsed.error);
    return parsed;
}

inline Parsed parse(const std::string& file) {
    return parse(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
}

// Why the outcome is not one the loader may give, or "" when it is: a mesh that holds together,
// or a refusal that names its place first and leaves no mesh.
inline std::string outcomeFault(const Parsed& parsed) {
    const XMesh& mesh = parsed.mesh;
    if (parsed.read) {
        return mesh_check::meshFault(mesh);
    }
    if (!startsWithPlace(parsed.error)) {
        return "a refusal without its place";
    }
    return mesh.vertices.empty() && mesh.indices.empty() && mesh.materials.empty()
               ? ""
               : "a refusal that left a mesh";
}

} // namespace mesh_check
