// Prints what the .x loader makes of a file, in the same form as the D3DX probe prints what
// D3DXLoadMeshFromX makes of it, so that scripts/diff-x-loader.sh can compare the two.
//
//   x_mesh_dump FILE.x [--time]     (--time: the load time in milliseconds, on stderr)

#include "x_mesh_printout.h"
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
    printLoadedMesh(mesh);
    return 0;
}
