// libFuzzer target over the .x loader: any bytes must give either a refusal with the place of
// its fault and no mesh, or a mesh that holds together (tests/xfile/mesh_holds_together.h);
// never a crash, an out-of-bounds access or undefined behaviour.
// Built and run by scripts/fuzz-xfile.sh.

#include "xfile/mesh_holds_together.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    XMesh mesh;
    std::string error;
    const bool read = parseXFile(data, size, mesh, error);
    const bool holds = read ? mesh_check::meshFault(mesh).empty()
                            : mesh_check::startsWithPlace(error) && mesh.vertices.empty() &&
                                  mesh.indices.empty() && mesh.materials.empty();
    if (!holds) {
        std::abort();
    }
    return 0;
}
