// The two compression methods an archive entry may be stored with: their
// decoders, their encoders, and the method codes that name them in an
// archive header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/archive/archive_layout.h"

// Fills `destination` with exactly `size` decoded bytes taken from the
// `storedSize` bytes at `source`. Returns false when the stream is malformed:
// it needs more bytes than `storedSize`, or a back-reference reaches before
// the start of the output. A last item that would carry the output past
// `size` is cut at `size` (the bytes up to there are fully determined).
// Never writes beyond `size` bytes of the destination and never reads beyond
// `storedSize` bytes of the source, whatever the stream holds. Size 0 reads
// nothing.
using DecoderRoutine = bool (*)(unsigned char* destination, const unsigned char* source,
                                std::uint32_t size, std::uint32_t storedSize);

// Flag bytes announce eight items each (bit 0 first): 1 = a literal byte,
// 0 = a 16-bit little-endian word W, copying (W >> 12) + 3 bytes that start
// 4096 - (W & 0xFFF) bytes back in the output.
bool DecodeLzss(unsigned char* destination, const unsigned char* source, std::uint32_t size,
                std::uint32_t storedSize);

// Packets opened by a header byte c: c < 128 copies the c + 1 bytes that
// follow; c >= 128 repeats the one byte that follows 257 - c times (so 0x80
// is a run of 129, unlike PackBits).
bool DecodeRle(unsigned char* destination, const unsigned char* source, std::uint32_t size,
               std::uint32_t storedSize);

// The most output `storedSize` bytes of a stream can produce: an entry that
// claims more is impossible, and its size must not decide an allocation.
std::uint64_t MaxLzssOutput(std::uint32_t storedSize);
std::uint64_t MaxRleOutput(std::uint32_t storedSize);

struct MethodInfo {
    std::uint32_t code;
    DecoderRoutine decoder;                            // nullptr: stored as is
    std::uint64_t (*maxOutput)(std::uint32_t stored);  // nullptr: stored as is
};

// The known methods; nullptr for a code outside them.
const MethodInfo* FindMethod(std::uint32_t code);
// The method a decoder belongs to (nullptr for none or an unknown routine).
const MethodInfo* FindMethodOfDecoder(DecoderRoutine decoder);

// ---- Encoders: each makes a stream the decoder above turns back into
// exactly the `size` bytes given.
std::vector<unsigned char> EncodeLzss(const unsigned char* data, std::size_t size);
std::vector<unsigned char> EncodeRle(const unsigned char* data, std::size_t size);
// The bytes EncodeRle would make, counted without making them.
std::size_t RleEncodedSize(const unsigned char* data, std::size_t size);

inline std::vector<unsigned char> EncodeLzss(const std::string& data) {
    return EncodeLzss(reinterpret_cast<const unsigned char*>(data.data()), data.size());
}
inline std::vector<unsigned char> EncodeRle(const std::string& data) {
    return EncodeRle(reinterpret_cast<const unsigned char*>(data.data()), data.size());
}
