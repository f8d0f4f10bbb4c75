// libFuzzer target over the .x loader: any bytes must give a mesh or an error, never a crash,
// an out-of-bounds access or undefined behaviour. A mesh it gives must hold together.
// Built and run by scripts/fuzz-xfile.sh.

#include "xfile/x_mesh.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    XMesh mesh;
    std::string error;
    if (!parseXFile(data, size, mesh, error)) {
        if (error.empty() || !mesh.vertices.empty() || !mesh.materials.empty()) {
            std::abort();
        }
        return 0;
    }
    if (mesh.indices.size() != mesh.attributes.size() * 3) {
        std::abort();
    }
    for (std::uint32_t index : mesh.indices) {
        if (index >= mesh.vertices.size()) {
            std::abort();
        }
    }
    for (std::uint32_t attribute : mesh.attributes) {
        if (attribute >= mesh.materials.size()) {
            std::abort();
        }
    }
    return 0;
}
