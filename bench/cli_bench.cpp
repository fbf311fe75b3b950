// servolt-cli as whole processes, beside what they are measured against:
//   write   servolt-cli write of server.cfg and usedmods.cfg against cp of
//           the same two files (target: at most 3 times cp)
//   import  servolt-cli import of a 20 KB server.cfg, and the import alone
//   maps    servolt-cli maps on the 5,000-map install of maps_bench against
//           the same discovery in this process
// Prints figures; judges nothing.
//
//     cli_bench [SERVOLT_CLI]       the program to time (default: the build's)
//     BENCH_RUNS=N                  runs per figure (best counts; 15 by default)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "bench_install.h"
#include "core/servercfg/config_import.h"

namespace fs = std::filesystem;
using namespace benchinstall;

namespace {

const int kRuns = std::getenv("BENCH_RUNS") ? std::atoi(std::getenv("BENCH_RUNS")) : 15;

// The best of kRuns, in milliseconds.
double Best(const std::function<void()>& run) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const auto stop = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(stop - start).count());
    }
    return best;
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

}  // namespace

int main(int argc, char** argv) {
    const std::string cli = argc > 1 ? argv[1] : SERVOLT_CLI_PATH;
    std::error_code probe;
    const fs::path base = fs::is_directory("/dev/shm", probe) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("servolt-cli-bench-" + std::to_string(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    // The user folder of a home of our own, with the settings file and the
    // mods of the install.
    const fs::path home = root / "home";
    const fs::path user = home / "Documents" / "Brenmoor" / "Vantrel(tm)";
    const MapSources sources = MakeInstall(root / "game", user / "moddir", 5000);
    std::ofstream(user / "Servolt.ini", std::ios::binary)
        << "[Basic]\r\nGameType=1\r\n[Mods]\r\nModuleUseList=ModA 1 ModB 0 \r\n";
    setenv("HOME", home.c_str(), 1);
    unsetenv("WINEPREFIX");
    const fs::path out = root / "out";
    const fs::path copy = root / "copy";
    fs::create_directories(out / "moddir");
    fs::create_directories(copy / "moddir");

    const std::string write = Quoted(cli) + " write --out " + Quoted(out);
    Shell(write);  // the files cp copies
    const double writeMs = Best([&] { Shell(write); });
    const std::string cp = "cp " + Quoted(out / "server.cfg") + " " + Quoted(copy / "server.cfg") + " && cp " +
                           Quoted(out / "moddir" / "usedmods.cfg") + " " + Quoted(copy / "moddir" / "usedmods.cfg");
    const double cpMs = Best([&] { Shell(cp); });
    std::printf("servolt-cli write: %8.2f ms   cp of the same two files: %8.2f ms   ratio %.2f (target at most 3)\n",
                writeMs, cpMs, writeMs / cpMs);

    // A 20 KB server.cfg: the file write gives, with the additional options
    // filling up the rest.
    std::string config;
    {
        std::ifstream in(out / "server.cfg", std::ios::binary);
        config.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        for (int i = 0; config.size() < 20 * 1024; ++i) config += "set custom_" + std::to_string(i) + " 1\r\n";
        std::ofstream(root / "import.cfg", std::ios::binary) << config;
    }
    const std::string import = Quoted(cli) + " import " + Quoted(root / "import.cfg") + " --ini " +
                               Quoted(root / "imported.ini") + " > /dev/null";
    const double importMs = Best([&] { Shell(import); });
    auto record = std::make_unique<ServerSettings>();
    const double importInProcessMs = Best([&] { ImportServerConfig(config, *record); });
    std::printf("servolt-cli import, %zu KB server.cfg: %8.2f ms   import in process: %8.3f ms\n",
                config.size() / 1024, importMs, importInProcessMs);

    const std::string maps = Quoted(cli) + " maps --game " + Quoted(root / "game") + " > /dev/null";
    const double mapsMs = Best([&] { Shell(maps); });
    const double inProcessMs = Best([&] {
        UniqueTextList list;
        FillMapList(sources, list, 1, "ModA 1 ModB 0 ");
    });
    std::printf("servolt-cli maps, 5,000 maps: %8.2f ms   discovery in process: %8.2f ms   ratio %.2f\n", mapsMs,
                inProcessMs, mapsMs / inProcessMs);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
