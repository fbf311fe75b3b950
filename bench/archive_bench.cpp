// Archive reader figures: decoder throughput against byte-at-a-time decoders
// of the same formats and against memcpy, opening and indexing an archive of
// 100,000 names against reading the file and sorting the names, a "*.bsp"
// search over it, and the time and peak memory of open + index + search for
// hostile directories beside sound archives of the same size. Prints the
// figures and ratios; never fails on them.
//
//     archive_bench                 everything, hostile archives of 1 MB
//     archive_bench --hostile [KB]  only the hostile section, archives of KB
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/archive/resource_archive.h"
#include "rez_builder.h"

// ---- Heap use: every operator new counted --------------------------------
//
// Bytes asked for and not yet given back, and the most there were since the
// last reset. Single-threaded, like the reader.
namespace heap {

std::size_t live = 0;
std::size_t peak = 0;
constexpr std::size_t kHeader = 16;  // keeps the alignment of malloc

void* Take(std::size_t size) noexcept {
    void* block = std::malloc(size + kHeader);
    if (!block) return nullptr;
    *static_cast<std::size_t*>(block) = size;
    live += size;
    if (live > peak) peak = live;
    return static_cast<char*>(block) + kHeader;
}

void Give(void* at) noexcept {
    if (!at) return;
    char* block = static_cast<char*>(at) - kHeader;
    live -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

void ResetPeak() { peak = live; }

}  // namespace heap

void* operator new(std::size_t size) {
    if (void* at = heap::Take(size)) return at;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* at = heap::Take(size)) return at;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return heap::Take(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return heap::Take(size); }
void operator delete(void* at) noexcept { heap::Give(at); }
void operator delete[](void* at) noexcept { heap::Give(at); }
void operator delete(void* at, std::size_t) noexcept { heap::Give(at); }
void operator delete[](void* at, std::size_t) noexcept { heap::Give(at); }
void operator delete(void* at, const std::nothrow_t&) noexcept { heap::Give(at); }
void operator delete[](void* at, const std::nothrow_t&) noexcept { heap::Give(at); }

namespace {

using Clock = std::chrono::steady_clock;

// Best of `rounds` timings of `work`, in seconds.
template <typename Work>
double Best(int rounds, Work work) {
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::min(best, seconds);
    }
    return best;
}

// ---- Straightforward decoders of the same formats, one byte at a time -----

bool ReferenceLzss(unsigned char* out, const unsigned char* in, std::uint32_t size, std::uint32_t stored) {
    std::size_t o = 0, i = 0;
    unsigned mask = 0, flags = 0;
    while (o < size) {
        mask = (mask << 1) & 0xFF;
        if (!mask) {
            if (i >= stored) return false;
            flags = in[i++];
            mask = 1;
        }
        if (flags & mask) {
            if (i >= stored) return false;
            out[o++] = in[i++];
        } else {
            if (stored - i < 2) return false;
            const unsigned word = in[i] | (in[i + 1] << 8);
            i += 2;
            const std::size_t distance = 4096 - (word & 0xFFF);
            if (distance > o) return false;
            for (unsigned n = (word >> 12) + 3; n && o < size; --n, ++o) out[o] = out[o - distance];
        }
    }
    return true;
}

bool ReferenceRle(unsigned char* out, const unsigned char* in, std::uint32_t size, std::uint32_t stored) {
    std::size_t o = 0, i = 0;
    while (o < size) {
        if (i >= stored) return false;
        const unsigned header = in[i++];
        if (header >= 128) {
            if (i >= stored) return false;
            const unsigned char value = in[i++];
            for (unsigned n = 257 - header; n && o < size; --n) out[o++] = value;
        } else {
            for (unsigned n = header + 1; n && o < size; --n) {
                if (i >= stored) return false;
                out[o++] = in[i++];
            }
        }
    }
    return true;
}

// ---- Sample data ---------------------------------------------------------

// Text-like data with repeats at all distances: what LZSS sees in game
// scripts and map entity lumps.
std::string TextLike(std::size_t size) {
    static const char* const kWords[] = {"{\n\"classname\" \"", "light", "info_player_start", "\"origin\" \"",
                                         "worldspawn", "\"angle\" \"90\"\n", "}\n", "func_door", "\"targetname\" \"",
                                         "trigger_multiple", " 128 ", " -64 ", " 0 "};
    std::mt19937 random(7);
    std::string out;
    out.reserve(size + 64);
    while (out.size() < size) {
        const unsigned pick = random() % 16;
        if (pick < 13) out += kWords[pick];
        else out += std::to_string(random() % 4096);
    }
    out.resize(size);
    return out;
}

// Image-like data: runs of one value between stretches of noise.
std::string ImageLike(std::size_t size) {
    std::mt19937 random(11);
    std::string out;
    out.reserve(size + 300);
    while (out.size() < size) {
        if (random() % 2) out.append(std::size_t(4 + random() % 200), static_cast<char>(random()));
        else for (unsigned n = 1 + random() % 40; n; --n) out.push_back(static_cast<char>(random()));
    }
    out.resize(size);
    return out;
}

void DecoderFigures(const char* label, DecoderRoutine decoder, DecoderRoutine reference,
                    const std::string& data, const std::vector<unsigned char>& packed) {
    const auto size = std::uint32_t(data.size());
    const auto stored = std::uint32_t(packed.size());
    std::vector<unsigned char> out(size);
    if (!decoder(out.data(), packed.data(), size, stored) || std::memcmp(out.data(), data.data(), size) != 0 ||
        !reference(out.data(), packed.data(), size, stored) || std::memcmp(out.data(), data.data(), size) != 0) {
        std::printf("%s: decoders disagree with the data\n", label);
        return;
    }
    const double mb = size / 1e6;
    const double fast = Best(7, [&] { decoder(out.data(), packed.data(), size, stored); });
    const double slow = Best(7, [&] { reference(out.data(), packed.data(), size, stored); });
    std::vector<unsigned char> copy(size);
    const double copyTime = Best(7, [&] {
        std::memcpy(copy.data(), data.data(), size);
        asm volatile("" : : "r"(copy.data()) : "memory");
    });
    std::printf("%-5s %6.1f MB -> %6.1f MB stored | decoder %8.1f MB/s | byte-at-a-time %8.1f MB/s | "
                "memcpy %8.1f MB/s\n",
                label, mb, stored / 1e6, mb / fast, mb / slow, mb / copyTime);
    std::printf("%-5s decoder / byte-at-a-time = %.2fx (target >= 2x)   decoder / memcpy = %.3f\n", label,
                slow / fast, copyTime / fast);
}

void ArchiveFigures() {
    constexpr std::size_t kNames = 100000;
    std::vector<rezwriter::Entry> entries;
    entries.reserve(kNames);
    static const char* const kKinds[] = {"maps/dm/Map%06u.bsp", "maps/tow/tow%06u.BSP", "textures/wall/t%06u.dtx",
                                         "sounds/s%06u.wav", "models/m%06u.abc"};
    std::mt19937 random(3);
    for (std::size_t i = 0; i < kNames; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, kKinds[i % 5], unsigned(random() % 1000000));
        entries.push_back({name, "", rezwriter::Method::None});
    }
    rezwriter::Layout layout;
    layout.recordsPerGroup = 1000;
    const std::vector<unsigned char> bytes = rezwriter::BuildArchive(entries, layout);
    const std::string path = "/tmp/servolt-bench-" + std::to_string(getpid()) + ".rez";
    if (!rezwriter::WriteFile(path, bytes)) {
        std::printf("cannot write %s\n", path.c_str());
        return;
    }
    // The names region starts after the groups and records (writer's layout).
    const std::size_t namesAt = 24 + (kNames / 1000) * 8 + kNames * 16;

    std::uint32_t indexed = 0;
    const double open = Best(9, [&] {
        ResourceArchive archive(path.c_str(), "");
        indexed = archive.GetEntryCount();
    });
    const double readSort = Best(9, [&] {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::vector<char> data(bytes.size());
        std::size_t got = std::fread(data.data(), 1, data.size(), file);
        std::fclose(file);
        std::vector<std::string_view> names;
        names.reserve(kNames);
        for (std::size_t at = namesAt; at < got;) {
            names.emplace_back(data.data() + at);
            at += names.back().size() + 1;
        }
        std::sort(names.begin(), names.end());
        asm volatile("" : : "r"(names.data()) : "memory");
    });
    ResourceArchive archive(path.c_str(), "");
    std::size_t found = 0;
    const double search = Best(9, [&] {
        found = archive.Search("", "bsp", "*.bsp", true).size();
    });
    std::remove(path.c_str());

    std::printf("archive of %u names, %.1f MB\n", indexed, bytes.size() / 1e6);
    std::printf("open + index %8.2f ms | read file + std::sort names %8.2f ms | ratio %.2fx (target < 3x)\n",
                open * 1e3, readSort * 1e3, open / readSort);
    std::printf("search \"*.bsp\" %8.2f ms, %zu names found (%.0f ns per name)\n", search * 1e3, found,
                search * 1e9 / kNames);
}

// ---- Hostile directories --------------------------------------------------
//
// Each archive is opened, indexed and searched for "*.bsp" (as map discovery
// does) in a child process of its own, so that a reader that runs away
// (time, memory, std::bad_alloc) cannot take the benchmark with it: the
// child has an address-space limit and an alarm.

struct Shape {
    std::string label;
    std::vector<unsigned char> bytes;
};

constexpr std::size_t kWorstUnitText = 260;  // a 259-character name and its zero

// "maps/dm/Map000123.bsp" and its kinds, as the 100,000-name archive above.
std::string TypicalName(std::size_t i) {
    static const char* const kKinds[] = {"maps/dm/Map%06u.bsp", "maps/tow/tow%06u.BSP", "textures/wall/t%06u.dtx",
                                         "sounds/s%06u.wav", "models/m%06u.abc"};
    char name[64];
    std::snprintf(name, sizeof name, kKinds[i % 5], unsigned(i));
    return name;
}

// A sound archive whose directory fills the file: typical names, no data.
Shape NormalNames(std::size_t target) {
    std::vector<rezwriter::Entry> entries;
    std::size_t size = 24 + 8;
    for (std::size_t i = 0; size < target; ++i) {
        entries.push_back({TypicalName(i), "", rezwriter::Method::None});
        size += 16 + entries.back().name.size() + 1;
    }
    char label[96];
    std::snprintf(label, sizeof label, "normal: %zu typical names, no data", entries.size());
    return {label, rezwriter::BuildArchive(entries)};
}

// A sound archive as a map pack looks: typical names, 8 KB of data each.
Shape NormalData(std::size_t target) {
    std::vector<rezwriter::Entry> entries;
    std::mt19937 random(5);
    std::size_t size = 24 + 8;
    for (std::size_t i = 0; size < target; ++i) {
        std::string data(8192, '\0');
        for (char& c : data) c = static_cast<char>(random());
        entries.push_back({TypicalName(i), data, rezwriter::Method::None});
        size += 16 + entries.back().name.size() + 1 + data.size();
    }
    char label[96];
    std::snprintf(label, sizeof label, "normal: %zu typical names, 8 KB data each", entries.size());
    return {label, rezwriter::BuildArchive(entries)};
}

// The reported memory attack: records naming every 32nd byte of one name
// text twice as long as the records (8,192 records, 256 KB text: 393 KB).
// The text repeats ".bsp", so every name holds it within the characters
// that the search matches.
Shape ReportedOverlap(std::size_t target) {
    const std::size_t records = std::max<std::size_t>(1, (target - 32) / 48);
    std::string text;
    text.reserve(records * 32);
    while (text.size() + 4 < records * 32) text += ".bsp";
    text += '\0';
    std::vector<std::uint32_t> offsets(records);
    for (std::size_t i = 0; i < records; ++i) offsets[i] = std::uint32_t(i * 32);
    char label[96];
    std::snprintf(label, sizeof label, "reported: %zu records into one %zu KB name text", records,
                  text.size() >> 10);
    return {label, rezwriter::BuildSharedNameArchive(offsets, text)};
}

// The reported time attack: every record names one long name (65,536 x one
// 64 KB name: 1.1 MB); here records and name length split the size evenly.
// The name starts like a map, so that the search finds it too.
Shape ReportedOneName(std::size_t target) {
    const std::size_t records = std::max<std::size_t>(1, (target - 32) / 17);
    std::string text = "maps/dm/x.bsp/";
    text += std::string(records - 1 - text.size(), 'n');
    text += '\0';
    char label[96];
    std::snprintf(label, sizeof label, "reported: %zu records naming one %zu KB name", records,
                  text.size() >> 10);
    return {label, rezwriter::BuildSharedNameArchive(std::vector<std::uint32_t>(records, 0), text)};
}

// The longest overlapping names the bounds let through: units of one
// 259-character name and records naming each of its 256 suffixes that hold
// ".bsp", with as many unnamed records as the name budget asks for.
Shape WorstOverlap(std::size_t target) {
    // Name bytes of one unit: its suffixes of 259..4 characters and zeros.
    std::size_t unitNames = 0;
    for (std::size_t start = 0; start < 256; ++start) unitNames += kWorstUnitText - start;
    const std::size_t unitRecords = (unitNames - kWorstUnitText + 15) / 16;  // with the padding
    const std::size_t units = std::max<std::size_t>(1, target / (unitRecords * 16 + kWorstUnitText));
    std::vector<std::uint32_t> offsets;
    std::string text;
    for (std::size_t unit = 0; unit < units; ++unit) {
        // The unit's number last: its suffixes of 11 characters or more are its own.
        char number[32];
        std::snprintf(number, sizeof number, "%07zu", unit);
        std::string name(kWorstUnitText - 1 - 4 - 7, 'w');
        name += number;
        name += ".bsp";
        for (std::size_t start = 0; start < 256; ++start) offsets.push_back(std::uint32_t(text.size() + start));
        for (std::size_t pad = 256; pad < unitRecords; ++pad) offsets.push_back(rezwriter::kNoName);
        text += name;
        text += '\0';
    }
    char label[96];
    std::snprintf(label, sizeof label, "bounded: %zu x 256 suffixes of 259-char names", units);
    return {label, rezwriter::BuildSharedNameArchive(offsets, text)};
}

// Short overlapping names: every suffix of a 14-character name that holds
// ".bsp", many to a result each (the most result entries per byte).
Shape WorstShortOverlap(std::size_t target) {
    std::vector<std::uint32_t> offsets;
    std::string text;
    for (std::size_t unit = 0; 24 + 8 + offsets.size() * 16 + text.size() < target; ++unit) {
        char name[32];
        // The last digits vary fastest, so short suffixes differ too.
        std::snprintf(name, sizeof name, "%010zu.bsp", unit);
        for (std::size_t start = 0; start < 11; ++start) offsets.push_back(std::uint32_t(text.size() + start));
        text += name;
        text += '\0';
    }
    char label[96];
    std::snprintf(label, sizeof label, "bounded: %zu records, suffixes of 14-char names", offsets.size());
    return {label, rezwriter::BuildSharedNameArchive(offsets, text)};
}

// Every record names one name as long as a name may be.
Shape WorstOneName(std::size_t target) {
    const std::size_t records = (target - 32 - kWorstUnitText) / 16;
    std::string text(kWorstUnitText - 1 - 4, 'n');
    text += ".bsp";
    text += '\0';
    char label[96];
    std::snprintf(label, sizeof label, "bounded: %zu records naming one 259-char name", records);
    return {label, rezwriter::BuildSharedNameArchive(std::vector<std::uint32_t>(records, 0), text)};
}

struct Outcome {
    int opened = -1;           // -1: the child did not finish
    std::uint32_t names = 0;   // named entries indexed
    std::size_t results = 0;   // names the search found
    double seconds = 0;        // best open + index + search
    std::size_t heapPeak = 0;  // most bytes live through operator new
    long rssGrowthKb = 0;      // peak resident size above the child's start
    char failure[64] = {};     // what ended the child, if it did not finish
};

// Open, index and search once; again while the runs so far took less than a
// second (at most 30 runs), for a steadier best time.
Outcome MeasureInChild(const std::string& path) {
    Outcome out;
    struct rusage start;
    getrusage(RUSAGE_SELF, &start);
    double best = 1e30;
    double total = 0;
    for (int run = 0; run < 30 && total < 1.0; ++run) {
        heap::ResetPeak();
        const std::size_t before = heap::live;
        const auto begin = Clock::now();
        {
            ResourceArchive archive(path.c_str(), "");
            out.opened = archive.IsOpen();
            out.names = archive.GetEntryCount();
            // The matches live until the archive goes, as a caller holds them.
            const std::set<std::string> found =
                archive.IsOpen() ? archive.Search("", "bsp", "*.bsp", true) : std::set<std::string>();
            out.results = found.size();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        best = std::min(best, seconds);
        total += seconds;
        if (run == 0) out.heapPeak = heap::peak - before;
    }
    out.seconds = best;
    struct rusage end;
    getrusage(RUSAGE_SELF, &end);
    out.rssGrowthKb = end.ru_maxrss - start.ru_maxrss;
    return out;
}

Outcome Measure(const Shape& shape, std::size_t addressLimit, unsigned secondsLimit) {
    Outcome out;
    const std::string path = "/tmp/servolt-bench-hostile-" + std::to_string(getpid()) + ".rez";
    if (!rezwriter::WriteFile(path, shape.bytes)) {
        std::snprintf(out.failure, sizeof out.failure, "cannot write %s", path.c_str());
        return out;
    }
    int channel[2];
    if (pipe(channel) != 0) {
        std::remove(path.c_str());
        std::snprintf(out.failure, sizeof out.failure, "no pipe");
        return out;
    }
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        struct rlimit limit = {addressLimit, addressLimit};
        setrlimit(RLIMIT_AS, &limit);
        alarm(secondsLimit);
        Outcome result;
        const auto begin = Clock::now();
        try {
            result = MeasureInChild(path);
        } catch (const std::bad_alloc&) {
            const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
            result = Outcome();
            std::snprintf(result.failure, sizeof result.failure, "std::bad_alloc after %.1f s, heap peak %.0f MB",
                          seconds, heap::peak / 1048576.0);
        }
        const ssize_t written = write(channel[1], &result, sizeof result);
        _exit(written == ssize_t(sizeof result) ? 0 : 1);
    }
    close(channel[1]);
    Outcome got;
    const bool reported = child > 0 && read(channel[0], &got, sizeof got) == ssize_t(sizeof got);
    close(channel[0]);
    int status = 0;
    struct rusage usage = {};
    if (child > 0) wait4(child, &status, 0, &usage);
    std::remove(path.c_str());
    if (reported) {
        if (got.opened < 0) got.rssGrowthKb = usage.ru_maxrss;
        return got;
    }
    if (child > 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
        std::snprintf(out.failure, sizeof out.failure, "stopped after %u s", secondsLimit);
    else if (child > 0 && WIFSIGNALED(status))
        std::snprintf(out.failure, sizeof out.failure, "killed by signal %d", WTERMSIG(status));
    else
        std::snprintf(out.failure, sizeof out.failure, "child failed");
    out.rssGrowthKb = usage.ru_maxrss;
    return out;
}

void HostileFigures(std::size_t target) {
    constexpr std::size_t kAddressLimit = std::size_t(6) << 30;
    constexpr unsigned kSecondsLimit = 120;
    std::printf("hostile directories: open + index + \"*.bsp\" search of archives of about %.2f MB, each in a "
                "child\nprocess (limits: %zu GB address space, %u s). heap = most bytes live through operator "
                "new; rss = peak\nresident growth; ratios against the first archive (normal, names only)\n",
                target / 1048576.0, kAddressLimit >> 30, kSecondsLimit);
    const Shape shapes[] = {NormalNames(target),     NormalData(target),        ReportedOverlap(target),
                            ReportedOneName(target), WorstOverlap(target),      WorstShortOverlap(target),
                            WorstOneName(target)};
    std::printf("%-50s %8s %6s %7s %7s %10s %9s %9s %7s %6s %6s\n", "archive", "size MB", "open", "names", "found",
                "time ms", "heap MB", "heap/size", "rss MB", "x time", "x heap");
    double normalSeconds = 0, normalHeap = 0;
    for (const Shape& shape : shapes) {
        const Outcome got = Measure(shape, kAddressLimit, kSecondsLimit);
        const double mb = shape.bytes.size() / 1048576.0;
        if (got.opened < 0) {
            std::printf("%-50s %8.2f   %s (peak rss %.0f MB)\n", shape.label.c_str(), mb, got.failure,
                        got.rssGrowthKb / 1024.0);
            continue;
        }
        if (normalSeconds == 0) {
            normalSeconds = got.seconds;
            normalHeap = double(got.heapPeak);
        }
        std::printf("%-50s %8.2f %6s %7u %7zu %10.2f %9.2f %8.1fx %7.1f %5.1fx %5.1fx\n", shape.label.c_str(), mb,
                    got.opened ? "yes" : "no", got.names, got.results, got.seconds * 1e3, got.heapPeak / 1048576.0,
                    double(got.heapPeak) / double(shape.bytes.size()), got.rssGrowthKb / 1024.0,
                    got.seconds / normalSeconds, double(got.heapPeak) / normalHeap);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t hostileKb = 1024;
    bool onlyHostile = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hostile") == 0) onlyHostile = true;
        else if (std::atol(argv[i]) > 0) hostileKb = std::size_t(std::atol(argv[i]));
    }
    std::printf("Servolt archive benchmark (best of several runs)\n");
    // First, while this process is small: the children's resident sizes
    // start from what it holds.
    HostileFigures(hostileKb << 10);
    if (!onlyHostile) {
        const std::string text = TextLike(std::size_t(16) << 20);
        DecoderFigures("LZSS", DecodeLzss, ReferenceLzss, text, EncodeLzss(text));
        const std::string image = ImageLike(std::size_t(16) << 20);
        DecoderFigures("RLE", DecodeRle, ReferenceRle, image, EncodeRle(image));
        ArchiveFigures();
    }
    return 0;
}
