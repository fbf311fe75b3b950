// Archive reader figures: decoder throughput against byte-at-a-time decoders
// of the same formats and against memcpy, opening and indexing an archive of
// 100,000 names against reading the file and sorting the names, and a
// "*.bsp" search over it. Prints the figures and ratios; never fails on them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "core/archive/resource_archive.h"
#include "rezwriter/rez_writer.h"

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
                    const std::string& data, const rezwriter::Bytes& packed) {
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
    const rezwriter::Bytes bytes = rezwriter::BuildArchive(entries, layout);
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
        ArchiveSearchResults.clear();
        archive.Search("", "bsp", "*.bsp", true);
        found = ArchiveSearchResults.size();
    });
    std::remove(path.c_str());

    std::printf("archive of %u names, %.1f MB\n", indexed, bytes.size() / 1e6);
    std::printf("open + index %8.2f ms | read file + std::sort names %8.2f ms | ratio %.2fx (target < 3x)\n",
                open * 1e3, readSort * 1e3, open / readSort);
    std::printf("search \"*.bsp\" %8.2f ms, %zu names found (%.0f ns per name)\n", search * 1e3, found,
                search * 1e9 / kNames);
}

}  // namespace

int main() {
    std::printf("Servolt archive benchmark (best of several runs)\n");
    const std::string text = TextLike(std::size_t(16) << 20);
    DecoderFigures("LZSS", DecodeLzss, ReferenceLzss, text, rezwriter::EncodeLzss(text));
    const std::string image = ImageLike(std::size_t(16) << 20);
    DecoderFigures("RLE", DecodeRle, ReferenceRle, image, rezwriter::EncodeRle(image));
    ArchiveFigures();
    return 0;
}
