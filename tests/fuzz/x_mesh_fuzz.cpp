// libFuzzer target over the .x loader: any bytes must give either a refusal with the place of
// its fault and no mesh, or a mesh that holds together (every index below the vertex count,
// every attribute below the material count, three indices per attribute, a colour per vertex
// or none, every float finite); never a crash, an out-of-bounds access or undefined behaviour.
// Built and run by scripts/fuzz-xfile.sh.

#include "xfile/x_mesh.h"

#include <cmath>
#include <cstdlib>

namespace {

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool startsWithPlace(const std::string& error) {
    std::string rest = error;
    const std::string inflated = "inflated data, ";
    if (rest.rfind(inflated, 0) == 0) {
        rest = rest.substr(inflated.size());
    }
    for (const char* unit : {"line ", "byte "}) {
        const std::string prefix = unit;
        if (rest.rfind(prefix, 0) == 0 && rest.size() > prefix.size() &&
            std::isdigit(static_cast<unsigned char>(rest[prefix.size()]))) {
            return true;
        }
    }
    return false;
}

template <std::size_t N> bool allFinite(const float (&values)[N]) {
    for (float value : values) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    XMesh mesh;
    std::string error;
    if (!parseXFile(data, size, mesh, error)) {
        require(startsWithPlace(error));
        require(mesh.vertices.empty() && mesh.indices.empty() && mesh.materials.empty());
        return 0;
    }
    require(!mesh.attributes.empty() || mesh.indices.empty());
    require(mesh.indices.size() == mesh.attributes.size() * 3);
    require(mesh.colours.empty() || mesh.colours.size() == mesh.vertices.size());
    for (std::uint32_t index : mesh.indices) {
        require(index < mesh.vertices.size());
    }
    for (std::uint32_t attribute : mesh.attributes) {
        require(attribute < mesh.materials.size());
    }
    for (const XVertex& vertex : mesh.vertices) {
        require(allFinite(vertex.position) && allFinite(vertex.normal) &&
                allFinite(vertex.texcoord));
    }
    for (const XMaterial& material : mesh.materials) {
        require(allFinite(material.diffuse) && std::isfinite(material.power) &&
                allFinite(material.specular) && allFinite(material.emissive));
    }
    return 0;
}
