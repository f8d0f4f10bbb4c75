// Prints what the .x loader makes of a file, in the same form as the D3DX probe prints what
// D3DXLoadMeshFromX makes of it, so that scripts/diff-x-loader.sh can compare the two.
//
//   x_mesh_dump FILE.x [--time]     (--time: the load time in milliseconds, on stderr)

#include "xfile/x_mesh.h"

#include <cstdio>
#include <cstring>
#include <ctime>

// <chrono> does not build under the code page 932 literals of the host build.
static double nowMilliseconds() {
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: x_mesh_dump FILE.x [--time]\n");
        return 2;
    }
    XMesh mesh;
    std::string error;
    const double start = nowMilliseconds();
    const bool loaded = loadXFile(argv[1], mesh, error);
    const double end = nowMilliseconds();
    if (argc > 2 && std::strcmp(argv[2], "--time") == 0) {
        std::fprintf(stderr, "load ms %.3f\n", end - start);
    }
    if (!loaded) {
        std::printf("error %s\n", error.c_str());
        return 1;
    }
    std::printf("vertices %zu\n", mesh.vertices.size());
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
        const XVertex& v = mesh.vertices[i];
        std::printf("v %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g", v.position[0], v.position[1],
                    v.position[2], v.normal[0], v.normal[1], v.normal[2], v.texcoord[0],
                    v.texcoord[1]);
        if (!mesh.colours.empty()) { // alpha, red, green, blue
            const std::uint32_t c = mesh.colours[i];
            std::printf(" %u %u %u %u", c >> 24, c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
        }
        std::printf("\n");
    }
    std::printf("triangles %zu\n", mesh.attributes.size());
    for (std::size_t t = 0; t < mesh.attributes.size(); ++t) {
        std::printf("t %u %u %u %u\n", mesh.indices[t * 3], mesh.indices[t * 3 + 1],
                    mesh.indices[t * 3 + 2], mesh.attributes[t]);
    }
    std::printf("materials %zu\n", mesh.materials.size());
    for (const XMaterial& m : mesh.materials) {
        std::printf("m %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g %.6g \"%s\"\n",
                    m.diffuse[0], m.diffuse[1], m.diffuse[2], m.diffuse[3], m.power, m.specular[0],
                    m.specular[1], m.specular[2], m.emissive[0], m.emissive[1], m.emissive[2],
                    m.textureFileName.c_str());
    }
    return 0;
}
