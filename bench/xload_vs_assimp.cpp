// Times our .x loader beside Assimp's reader on the same files, in one run. Every load is cold:
// a fresh process of its own (this program run again with --load), which times the load call
// alone and reports the load's peak memory. The two readers take turns, file by file, five loads
// each; the table gives the medians, our speed in MB/s, the ratio of our time to Assimp's (below
// 1 is ours faster) and our peak memory, each beside its aim:
//
//   text at least 300 MB/s, binary at least 500 MB/s (uncompressed files of 1 MB or more);
//   every public file (--public) at most 0.5 of Assimp's time;
//   peak memory at most 3 times the file's size (inflated size when compressed; files of 1 MB or
//   more: below that a process's pages and the allocator's arenas say more than the loader does).
//
// Times are CPU time (user and system, page faults included): the machine this runs on is
// shared, and waiting for a core is no part of a loader's cost. Our wall-clock median is shown
// beside it, and the load averages at the end, to say how shared the machine was. Assimp is asked
// for no post-processing, its cheapest read; ours also merges the meshes into one triangle list.
// Built and run by bench/xload_vs_assimp.sh; not part of the build, which never needs Assimp.
//
//   xload_vs_assimp [--public DIR]... [FILE.x]...
//   xload_vs_assimp --load ours|assimp FILE.x     (one load; prints "ms wall-ms peak-KiB result")

#include "xfile/x_mesh.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int loads = 5;
constexpr double textFloorMBps = 300, binaryFloorMBps = 500;
constexpr double publicRatioAim = 0.5, peakPerByteAim = 3;
constexpr std::uintmax_t largeFile = 1 << 20;

double milliseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The child's side: one load, its CPU time, how far it raised the process's peak resident
// memory, and what the reader made of the file.
int loadOnce(const std::string& reader, const char* path) {
    std::string result;
    const long peakBefore = peakKiB();
    const double start = milliseconds(CLOCK_PROCESS_CPUTIME_ID);
    const double wallStart = milliseconds(CLOCK_MONOTONIC);
    if (reader == "ours") {
        XMesh mesh;
        std::string error;
        const bool read = loadXFile(path, mesh, error);
        result = read ? std::to_string(mesh.attributes.size()) + "-triangles" : "refused";
    } else {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(path, 0);
        result = scene != nullptr ? std::to_string(scene->mNumMeshes) + "-meshes" : "refused";
    }
    std::printf("%.3f %.3f %ld %s\n", milliseconds(CLOCK_PROCESS_CPUTIME_ID) - start,
                milliseconds(CLOCK_MONOTONIC) - wallStart, peakKiB() - peakBefore, result.c_str());
    return 0;
}

struct Load {
    double milliseconds = 0;
    double wallMilliseconds = 0;
    long peakKiB = 0;
    std::string result = "crashed";
};

// Runs this program afresh for one load and reads what it reports.
Load loadInFreshProcess(const char* reader, const std::string& path) {
    Load load;
    int channel[2];
    if (pipe(channel) != 0) {
        return load;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(channel[1], STDOUT_FILENO);
        close(channel[0]);
        close(channel[1]);
        execl("/proc/self/exe", "xload_vs_assimp", "--load", reader, path.c_str(), nullptr);
        _exit(127);
    }
    close(channel[1]);
    char line[256] = {};
    std::size_t length = 0;
    for (ssize_t got; length + 1 < sizeof line &&
                      (got = read(channel[0], line + length, sizeof line - 1 - length)) > 0;) {
        length += static_cast<std::size_t>(got);
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    char result[200] = {};
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
        std::sscanf(line, "%lf %lf %ld %199s", &load.milliseconds, &load.wallMilliseconds,
                    &load.peakKiB, result) == 4) {
        load.result = result;
    }
    return load;
}

Load median(std::vector<Load> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const Load& a, const Load& b) { return a.milliseconds < b.milliseconds; });
    Load middle = runs[runs.size() / 2];
    for (const Load& run : runs) {
        middle.peakKiB = std::max(middle.peakKiB, run.peakKiB);
    }
    std::sort(runs.begin(), runs.end(),
              [](const Load& a, const Load& b) { return a.wallMilliseconds < b.wallMilliseconds; });
    middle.wallMilliseconds = runs[runs.size() / 2].wallMilliseconds;
    return middle;
}

struct Form {
    bool binary;
    bool compressed;
    std::uint32_t inflatedSize; // as a compressed file states it
};

Form formOf(const std::string& path) {
    unsigned char header[20] = {};
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        if (std::fread(header, 1, sizeof header, file) != sizeof header) {
            header[0] = 0;
        }
        std::fclose(file);
    }
    Form form{std::memcmp(header + 8, "bin ", 4) == 0 || std::memcmp(header + 8, "bzip", 4) == 0,
              header[9] == 'z', 0};
    std::memcpy(&form.inflatedSize, header + 16, 4);
    return form;
}

std::string baseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

struct Entry {
    std::string path;
    bool isPublic;
};

std::vector<Entry> filesOf(int argc, char** argv) {
    std::vector<Entry> entries;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--public") != 0 || i + 1 == argc) {
            entries.push_back({argv[i], false});
            continue;
        }
        std::vector<std::string> found;
        for (const auto& item : std::filesystem::recursive_directory_iterator(argv[++i])) {
            const std::string extension = item.path().extension().string();
            if (item.is_regular_file() && (extension == ".x" || extension == ".X")) {
                found.push_back(item.path().string());
            }
        }
        std::sort(found.begin(), found.end());
        for (const std::string& path : found) {
            entries.push_back({path, true});
        }
    }
    return entries;
}

// Which aims a file misses, or "ok"; "-" when none applies to it.
std::string missedAims(const Entry& entry, std::uintmax_t size, const Load& ours,
                       const Load& assimp) {
    std::string missed;
    bool applies = false;
    const Form form = formOf(entry.path);
    const double megabytesPerSecond = size / 1e6 / (ours.milliseconds / 1e3);
    if (size >= largeFile && !form.compressed) {
        applies = true;
        if (megabytesPerSecond < (form.binary ? binaryFloorMBps : textFloorMBps)) {
            missed += " MB/s";
        }
    }
    const double heldBytes = form.compressed ? form.inflatedSize : size;
    if (size >= largeFile) {
        applies = true;
        if (ours.peakKiB * 1024.0 > peakPerByteAim * heldBytes) {
            missed += " peak";
        }
    }
    if (entry.isPublic && assimp.milliseconds > 0) {
        applies = true;
        if (ours.milliseconds > publicRatioAim * assimp.milliseconds) {
            missed += " ratio";
        }
    }
    return !applies ? "-" : missed.empty() ? "ok" : "missed:" + missed;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--load") == 0) {
        return loadOnce(argv[2], argv[3]);
    }
    std::printf("Medians of %d cold loads, each in a fresh process, ours and Assimp's in turn.\n"
                "Aims: text >= %.0f MB/s, binary >= %.0f MB/s, public files <= %.1f of Assimp's "
                "time, peak <= %.0f x the file.\n\n",
                loads, textFloorMBps, binaryFloorMBps, publicRatioAim, peakPerByteAim);
    std::printf("%-34s %11s %8s %9s %9s %10s %6s %9s %6s  %-17s %-10s %s\n", "file", "bytes",
                "MB/s", "ours ms", "wall ms", "assimp ms", "ratio", "peak MB", "xsize", "ours",
                "assimp", "aims");
    for (const Entry& entry : filesOf(argc, argv)) {
        std::vector<Load> ours, assimp;
        for (int i = 0; i < loads; ++i) {
            ours.push_back(loadInFreshProcess("ours", entry.path));
            assimp.push_back(loadInFreshProcess("assimp", entry.path));
        }
        const Load oursMedian = median(ours), assimpMedian = median(assimp);
        std::error_code failure;
        const std::uintmax_t size = std::filesystem::file_size(entry.path, failure);
        const double peakMB = oursMedian.peakKiB * 1024.0 / 1e6;
        const Form form = formOf(entry.path);
        const double heldBytes = form.compressed ? form.inflatedSize : size;
        const std::string ratio =
            assimpMedian.milliseconds > 0
                ? std::to_string(oursMedian.milliseconds / assimpMedian.milliseconds).substr(0, 5)
                : "-";
        std::printf("%-34s %11ju %8.1f %9.2f %9.2f %10.2f %6s %9.1f %6.2f  %-17s %-10s %s\n",
                    (entry.isPublic ? "* " + baseName(entry.path) : baseName(entry.path)).c_str(),
                    size, size / 1e6 / (std::max(oursMedian.milliseconds, 1e-3) / 1e3),
                    oursMedian.milliseconds, oursMedian.wallMilliseconds, assimpMedian.milliseconds,
                    ratio.c_str(), peakMB, heldBytes > 0 ? peakMB * 1e6 / heldBytes : 0.0,
                    oursMedian.result.c_str(), assimpMedian.result.c_str(),
                    missedAims(entry, size, oursMedian, assimpMedian).c_str());
        std::fflush(stdout);
    }
    std::printf(
        "\n* a public file. MB/s and ours ms: CPU time; wall ms: our wall clock. peak MB: how "
        "far the load raised the process's peak resident memory (the largest of the "
        "five), the file's mapped pages included;\nxsize: that over the file's size (over "
        "the inflated size for a compressed file).\n");
    double load[3] = {};
    if (getloadavg(load, 3) == 3) {
        std::printf("Load averages at the end: %.2f %.2f %.2f (1, 5, 15 minutes).\n", load[0],
                    load[1], load[2]);
    }
    return 0;
}
