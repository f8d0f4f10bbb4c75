// What every mesh the .x loader gives must satisfy, whatever file it came from: checked on our
// fixtures by the unit tests and on every input by the fuzz target.
#pragma once

#include "gfx/mesh_check.h"
#include "xfile/x_mesh.h"

#include <cctype>
#include <cmath>
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
    const std::string inflated = "inflated data, ";
    const std::size_t from = error.rfind(inflated, 0) == 0 ? inflated.size() : 0;
    for (const std::string unit : {"line ", "byte "}) {
        const std::size_t digit = from + unit.size();
        if (error.compare(from, unit.size(), unit) == 0 && digit < error.size() &&
            std::isdigit(static_cast<unsigned char>(error[digit]))) {
            return true;
        }
    }
    return false;
}

} // namespace mesh_check
