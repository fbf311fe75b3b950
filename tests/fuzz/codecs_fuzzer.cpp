// The decoders and the text routines on any bytes. The first byte chooses:
//   0 LZSS and 1 RLE: the next two bytes give the size (little-endian), the
//     rest is the stored stream; source and destination are heap blocks of
//     exactly those sizes, so any access outside them is reported.
//   2 text routines: pattern and text split at the first newline.
//   3 round trip: the rest through the test writer's encoders and back.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/archive/archive_text.h"
#include "core/archive/codecs.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

void Decode(DecoderRoutine decoder, const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    const std::uint32_t outSize = data[0] | (std::uint32_t(data[1]) << 8);
    const std::size_t stored = size - 2;
    std::unique_ptr<unsigned char[]> source(new unsigned char[stored]);
    if (stored) std::memcpy(source.get(), data + 2, stored);
    std::unique_ptr<unsigned char[]> destination(new unsigned char[outSize]);
    decoder(destination.get(), source.get(), outSize, std::uint32_t(stored));
}

void Texts(const std::uint8_t* data, std::size_t size) {
    const std::string all(reinterpret_cast<const char*>(data), size);
    const std::size_t split = all.find('\n');
    const std::string pattern = all.substr(0, split).c_str();
    const std::string text = split == std::string::npos ? std::string() : all.substr(split + 1).c_str();
    for (bool exact : {true, false}) {
        const bool plain = WildcardMatch(pattern.c_str(), text.c_str(), exact);
        PathWildcardMatch(pattern.c_str(), text.c_str(), exact);
        const char* found = FindSubstring(text.c_str(), pattern.c_str(), exact);
        if (found) {
            Require(found >= text.c_str() && found + pattern.size() <= text.c_str() + text.size());
        }
        // Without wildcards a match means the text starts with the pattern.
        if (exact && plain && pattern.find_first_of("*?") == std::string::npos)
            Require(text.compare(0, pattern.size(), pattern) == 0);
    }
    const int order = CompareNoCase(pattern.c_str(), text.c_str());
    Require(order >= -1 && order <= 1);
    Require(CompareNoCase(pattern.c_str(), pattern.c_str()) == 0);
    CompareNoCaseN(pattern.c_str(), text.c_str(), size % 64);
}

void RoundTrip(const std::uint8_t* data, std::size_t size) {
    for (int method = 0; method < 2; ++method) {
        const std::vector<unsigned char> packed =
            method == 0 ? EncodeLzss(data, size) : EncodeRle(data, size);
        std::unique_ptr<unsigned char[]> out(new unsigned char[size + 1]);
        const DecoderRoutine decoder = method == 0 ? DecodeLzss : DecodeRle;
        Require(decoder(out.get(), packed.data(), std::uint32_t(size), std::uint32_t(packed.size())));
        Require(size == 0 || std::memcmp(out.get(), data, size) == 0);
        Require(size <= (method == 0 ? MaxLzssOutput : MaxRleOutput)(std::uint32_t(packed.size())));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    switch (data[0] % 4) {
    case 0: Decode(DecodeLzss, data + 1, size - 1); break;
    case 1: Decode(DecodeRle, data + 1, size - 1); break;
    case 2: Texts(data + 1, size - 1); break;
    case 3: RoundTrip(data + 1, size - 1); break;
    }
    return 0;
}
