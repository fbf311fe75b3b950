// servolt-cli rez create and rez extract of a 200 MB tree of game-like
// files, beside tar cf and tar xf of the same tree, and the size the `best`
// method reaches beside gzip -6 of the same files (each file on its own, as
// an archive entry is compressed, and the whole tree as one stream).
// Prints figures; judges nothing.
//
//     rez_bench [SERVOLT_CLI] [MB]   the program to time (default: the
//                                    build's) and the tree's size (200)
//     BENCH_RUNS=N                   runs per time (best counts; 1 by default)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const int kRuns = std::getenv("BENCH_RUNS") ? std::max(1, std::atoi(std::getenv("BENCH_RUNS"))) : 1;

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// The best of kRuns, in seconds; `prepare` runs untimed before each.
double Best(const std::string& command, const std::function<void()>& prepare = [] {}) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        Shell(command);
        const auto stop = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(stop - start).count());
    }
    return best;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Contents of the kinds a game folder holds: scripts and configurations
// (words), textures (gradients with flat areas), maps (repeated records with
// changing fields) and sounds (noise, which no method shrinks).
std::string MakeContent(int kind, std::size_t size, std::mt19937& random) {
    std::string data;
    data.reserve(size);
    switch (kind) {
    case 0: {
        static const char* const kWords[] = {"set ", "sv_", "map ", "weapon", "ammo ", "team", "\r\n",
                                             "\"", "1 ", "0 ", "spawn", "health ", "// ", "score"};
        while (data.size() < size) data += kWords[random() % 14];
        break;
    }
    case 1:
        for (std::size_t i = 0; data.size() < size; ++i) {
            const std::size_t run = random() % 4 == 0 ? 20 + random() % 200 : 1;
            const char value = char((i * 7 + (random() % 3)) & 0xFF);
            data.append(std::min(run, size - data.size()), value);
        }
        break;
    case 2:
        while (data.size() < size) {
            char record[32] = "brush\0plane\0\0\0\0texture/wall";
            const std::uint32_t a = random() % 4096, b = random();
            std::memcpy(record + 12, &a, 4);
            if (random() % 2) std::memcpy(record + 16, &b, 4);
            data.append(record, std::min<std::size_t>(32, size - data.size()));
        }
        break;
    default:
        while (data.size() < size) data += char(random());
        break;
    }
    return data;
}

// The tree: a few large files and many of a few hundred KB, in folders
// two to four deep. Returns the number of files.
int MakeTree(const fs::path& root, std::size_t totalBytes) {
    std::mt19937 random(20261207);
    std::size_t written = 0;
    int files = 0;
    static const char* const kFolders[] = {"maps/dm", "maps/team", "textures/walls/stone", "textures/sky",
                                           "sound/weapons", "sound/ambient/wind", "scripts", "models/players/a"};
    static const int kKindOf[] = {2, 2, 1, 1, 3, 3, 0, 1};
    while (written < totalBytes) {
        const int folder = int(random() % 8);
        const bool large = files % 50 == 0;
        std::size_t size = large ? 8u << 20 : 16384 + random() % (512u << 10);
        size = std::min(size, totalBytes - written);
        const fs::path path = root / kFolders[folder] / ("f" + std::to_string(files) + ".dat");
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << MakeContent(kKindOf[folder], size, random);
        written += size;
        ++files;
    }
    return files;
}

std::uintmax_t TreeBytes(const fs::path& root, const std::string& extension = "") {
    std::uintmax_t total = 0;
    for (const auto& item : fs::recursive_directory_iterator(root))
        if (item.is_regular_file() && (extension.empty() || item.path().extension() == extension))
            total += item.file_size();
    return total;
}

double Mb(std::uintmax_t bytes) { return double(bytes) / (1 << 20); }

}  // namespace

int main(int argc, char** argv) {
    const std::string cli = argc > 1 ? argv[1] : SERVOLT_CLI_PATH;
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200;
    const fs::path root = fs::temp_directory_path() /
                          ("servolt-rez-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    const fs::path tree = root / "tree";
    const int files = MakeTree(tree, megabytes << 20);
    const std::uintmax_t treeBytes = TreeBytes(tree);
    std::printf("tree: %.1f MB in %d files; best of %d run(s)\n", Mb(treeBytes), files, kRuns);

    const fs::path out = root / "out";
    const auto emptyOut = [&] {
        fs::remove_all(out);
        fs::create_directories(out);
    };
    const fs::path tarFile = root / "tree.tar";
    const double tarCreate = Best("tar cf " + Quoted(tarFile) + " -C " + Quoted(tree) + " .");
    const double tarExtract = Best("tar xf " + Quoted(tarFile) + " -C " + Quoted(out), emptyOut);
    std::printf("%-34s %8.2f s   %-12s %8.2f s\n", "tar cf", tarCreate, "tar xf", tarExtract);

    std::uintmax_t bestBytes = 0;
    for (const char* method : {"none", "rle", "lzss", "best"}) {
        const fs::path archive = root / (std::string(method) + ".rez");
        const double create = Best(Quoted(cli) + " rez create " + Quoted(archive) + " " + Quoted(tree) +
                                   " --method " + method + " >/dev/null");
        const double extract = Best(Quoted(cli) + " rez extract " + Quoted(archive) + " -C " + Quoted(out) +
                                        " >/dev/null",
                                    emptyOut);
        Shell("diff -r " + Quoted(tree) + " " + Quoted(out));  // the figures are of a faithful round trip
        const std::uintmax_t size = fs::file_size(archive);
        if (std::string(method) == "best") bestBytes = size;
        std::printf("rez create --method %-14s %8.2f s (%5.2f x tar cf)   rez extract %8.2f s (%5.2f x tar xf)   "
                    "%8.1f MB (%.3f of the tree)\n",
                    method, create, create / tarCreate, extract, extract / tarExtract, Mb(size),
                    double(size) / double(treeBytes));
        fs::remove(archive);
    }

    // gzip -6 of each file alone (what one entry's compression can reach)
    // and of the whole tar stream.
    const fs::path zipped = root / "gzipped";
    Shell("cp -r " + Quoted(tree) + " " + Quoted(zipped) + " && gzip -6 -r " + Quoted(zipped));
    const std::uintmax_t gzipFiles = TreeBytes(zipped, ".gz");
    Shell("gzip -6 -c " + Quoted(tarFile) + " > " + Quoted(root / "tree.tar.gz"));
    const std::uintmax_t gzipTar = fs::file_size(root / "tree.tar.gz");
    std::printf("size: best %.1f MB (%.3f)   gzip -6 per file %.1f MB (%.3f)   tar | gzip -6 %.1f MB (%.3f)   "
                "best / gzip -6 per file %.2f\n",
                Mb(bestBytes), double(bestBytes) / treeBytes, Mb(gzipFiles), double(gzipFiles) / treeBytes,
                Mb(gzipTar), double(gzipTar) / treeBytes, double(bestBytes) / double(gzipFiles));
    fs::remove_all(root);
    return 0;
}
