// Times our .x loader beside Assimp's reader on the same files, in one run: the median CPU time
// of five loads of each file by each, from the page cache, and their ratio (ours / Assimp's; below
// 1 is ours faster). Assimp is asked for no post-processing, its cheapest read; ours also merges
// the meshes into one triangle list. Assimp reads each file in a child process, since some
// malformed files crash it. Built and run by bench/xload_vs_assimp.sh; not part of the build,
// which never needs Assimp.

#include "xfile/x_mesh.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int loads = 5;

// The process's CPU time (user and system), not the wall clock: the machine this runs on is
// shared, and waiting for a core is no part of a loader's cost.
double cpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double medianMilliseconds(const std::function<void()>& load) {
    std::vector<double> times;
    for (int i = 0; i < loads; ++i) {
        const double start = cpuMilliseconds();
        load();
        times.push_back(cpuMilliseconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[loads / 2];
}

struct AssimpTiming {
    double milliseconds;
    char result[32];
};

// Assimp's median time and what it made of the file, measured in a child process; "crashed"
// when the child dies.
AssimpTiming timeAssimp(const std::string& path) {
    AssimpTiming timing{0, "crashed"};
    int channel[2];
    if (pipe(channel) != 0) {
        return timing;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        AssimpTiming measured{};
        measured.milliseconds = medianMilliseconds([&] {
            Assimp::Importer importer;
            const aiScene* scene = importer.ReadFile(path, 0);
            std::snprintf(measured.result, sizeof measured.result, "%s",
                          scene != nullptr ? (std::to_string(scene->mNumMeshes) + " meshes").c_str()
                                           : "refused");
        });
        const bool written = write(channel[1], &measured, sizeof measured) == sizeof measured;
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    AssimpTiming measured{};
    if (child > 0 && read(channel[0], &measured, sizeof measured) == sizeof measured) {
        timing = measured;
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return timing;
}

std::string baseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

} // namespace

int main(int argc, char** argv) {
    std::printf("%-36s %12s %10s %10s %7s  %-22s %s\n", "file", "bytes", "ours ms", "assimp ms",
                "ratio", "ours", "assimp");
    double oursTotal = 0, assimpTotal = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string path = argv[i];
        XMesh mesh;
        std::string error;
        bool oursRead = false;
        const double ours =
            medianMilliseconds([&] { oursRead = loadXFile(path.c_str(), mesh, error); });
        const AssimpTiming assimp = timeAssimp(path);
        const double theirs = assimp.milliseconds;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        long size = 0;
        if (file != nullptr) {
            std::fseek(file, 0, SEEK_END);
            size = std::ftell(file);
            std::fclose(file);
        }
        const std::string oursResult =
            oursRead ? std::to_string(mesh.attributes.size()) + " triangles" : "refused";
        const std::string ratio = theirs > 0 ? std::to_string(ours / theirs).substr(0, 5) : "-";
        std::printf("%-36s %12ld %10.2f %10.2f %7s  %-22s %s\n", baseName(path).c_str(), size, ours,
                    theirs, ratio.c_str(), oursResult.c_str(), assimp.result);
        if (theirs > 0) {
            oursTotal += ours; // the total leaves out files that crash Assimp
            assimpTotal += theirs;
        }
    }
    std::printf("%-36s %12s %10.2f %10.2f %7.2f\n", "total", "", oursTotal, assimpTotal,
                oursTotal / std::max(assimpTotal, 1e-6));
    return 0;
}
