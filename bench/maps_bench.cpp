// Time to build the Maps list (the whole discovery the Maps/Rotation page
// runs when it is shown) for installs of 500 and of 5,000 maps, and the
// ratio of the two. Half of each install's maps sit in game archives (some
// entries compressed), a quarter loose in the three map folders and a
// quarter in the archives of two mods in use, each archive holding 50 maps
// beside some other entries. Prints figures; judges nothing.
//
//     maps_bench [SMALL LARGE]      other sizes, to look at the trend
//     BENCH_RUNS=N                  runs per size (best counts; 15 by default)
//     BENCH_KEEP=1                  leaves the generated installs in place
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_install.h"
#include "core/discovery/map_discovery.h"

namespace fs = std::filesystem;
using namespace benchinstall;

namespace {

const int kRuns = std::getenv("BENCH_RUNS") ? std::atoi(std::getenv("BENCH_RUNS")) : 15;

// One discovery, in milliseconds.
double TimeDiscovery(const MapSources& sources, std::size_t& listed) {
    UniqueTextList list;
    const auto start = std::chrono::steady_clock::now();
    FillMapList(sources, list, 1, "ModA 1 ModB 0 ");
    const auto stop = std::chrono::steady_clock::now();
    listed = list.Size();
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    // In memory where the host has a tmpfs, so that the figures show the
    // discovery rather than the disk the machine happens to have.
    std::error_code probe;
    const fs::path base = fs::is_directory("/dev/shm", probe) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("servolt-maps-bench-" + std::to_string(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    const int sizes[] = {argc > 2 ? std::atoi(argv[1]) : 500, argc > 2 ? std::atoi(argv[2]) : 5000};
    MapSources sources[2];
    for (int i = 0; i < 2; ++i) {
        const fs::path install = root / std::to_string(sizes[i]);
        sources[i] = MakeInstall(install / "game", install / "moddir", sizes[i]);
    }
    // The two sizes take turns, so that both meet the same machine; the best
    // run of each counts.
    double times[2] = {1e30, 1e30};
    std::size_t listed[2] = {};
    for (int run = 0; run < kRuns; ++run) {
        for (int i = 0; i < 2; ++i) times[i] = std::min(times[i], TimeDiscovery(sources[i], listed[i]));
    }
    for (int i = 0; i < 2; ++i) {
        std::printf("maps discovery: %5d maps installed, %5zu listed: %9.3f ms (best of %d)\n", sizes[i],
                    listed[i], times[i], kRuns);
    }
    std::printf("maps discovery: ratio %d/%d = %.2f (target at most 12 for ten times the maps)\n", sizes[1],
                sizes[0], times[1] / times[0]);
    std::error_code ignored;
    if (!std::getenv("BENCH_KEEP")) fs::remove_all(root, ignored);
    return 0;
}
