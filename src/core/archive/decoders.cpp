#include "core/archive/codecs.h"

#include <cstddef>
#include <cstring>

namespace {

// Eight items of one flag byte write at most 8 x 18 bytes; a back-reference
// may copy up to 24 bytes in whole 8-byte steps before the next item puts
// its own bytes over the excess. With this much room left the group needs
// no bounds test per item.
constexpr std::size_t kLzssGroupRoom = 7 * 18 + 24;
constexpr std::size_t kLzssGroupSource = 1 + 8 * 2;
constexpr std::size_t kLzssWindow = 4096;

inline void Copy8(unsigned char* to, const unsigned char* from) { std::memcpy(to, from, 8); }
inline void Copy16(unsigned char* to, const unsigned char* from) { std::memcpy(to, from, 16); }

// Copies a back-reference of 3 to 18 bytes as 24 (the caller has room for
// that, and the excess is overwritten by what follows): a fixed-size copy
// costs less than a branch on the length.
inline void CopyMatch(unsigned char* out, std::size_t distance, std::size_t length) {
    const unsigned char* from = out - distance;
    if (distance >= 16) {
        // No byte of a 16-byte step is read before it is written.
        Copy16(out, from);
        Copy8(out + 16, from + 16);
    } else if (distance >= 8) {
        // Each 8-byte step reads only bytes that earlier steps have written,
        // so front-to-back order (and thus overlapping repeats) is kept.
        Copy8(out, from);
        Copy8(out + 8, from + 8);
        Copy8(out + 16, from + 16);
    } else {
        for (std::size_t i = 0; i < length; ++i) out[i] = from[i];
    }
}

}  // namespace

bool DecodeLzss(unsigned char* destination, const unsigned char* source, std::uint32_t size,
                std::uint32_t storedSize) {
    const std::size_t end = size;
    const std::size_t stored = storedSize;
    std::size_t out = 0;
    std::size_t in = 0;

    // Whole flag groups while both buffers have room for the largest group.
    while (end - out >= kLzssGroupRoom && stored - in >= kLzssGroupSource) {
        unsigned flags = source[in++];
        if (flags == 0xFF) {
            std::memcpy(destination + out, source + in, 8);
            out += 8;
            in += 8;
            continue;
        }
        for (int item = 0; item < 8; ++item, flags >>= 1) {
            if (flags & 1) {
                destination[out++] = source[in++];
                continue;
            }
            const unsigned word = source[in] | (unsigned(source[in + 1]) << 8);
            in += 2;
            const std::size_t distance = kLzssWindow - (word & 0x0FFF);
            const std::size_t length = (word >> 12) + 3;
            if (distance > out) return false;
            CopyMatch(destination + out, distance, length);
            out += length;
        }
    }

    // The tail, item by item with every bound checked. The fast loop only
    // ever stops at a group boundary, so a fresh flag byte comes first.
    unsigned mask = 0;
    unsigned flags = 0;
    while (out < end) {
        mask = (mask << 1) & 0xFF;
        if (mask == 0) {
            if (in >= stored) return false;
            flags = source[in++];
            mask = 1;
        }
        if (flags & mask) {
            if (in >= stored) return false;
            destination[out++] = source[in++];
            continue;
        }
        if (stored - in < 2) return false;
        const unsigned word = source[in] | (unsigned(source[in + 1]) << 8);
        in += 2;
        const std::size_t distance = kLzssWindow - (word & 0x0FFF);
        std::size_t length = (word >> 12) + 3;
        if (distance > out) return false;
        if (length > end - out) length = end - out;
        const unsigned char* from = destination + out - distance;
        for (std::size_t i = 0; i < length; ++i) destination[out + i] = from[i];
        out += length;
    }
    return true;
}

// A packet writes at most 129 bytes; whole 16-byte steps round that up to
// 144. With this much room left on both sides a packet needs no exact-length
// copy, and the excess is overwritten by the packets that follow.
constexpr std::size_t kRleRoom = 144;

bool DecodeRle(unsigned char* destination, const unsigned char* source, std::uint32_t size,
               std::uint32_t storedSize) {
    const std::size_t end = size;
    const std::size_t stored = storedSize;
    std::size_t out = 0;
    std::size_t in = 0;

    while (end - out >= kRleRoom && stored - in >= kRleRoom) {
        const unsigned header = source[in++];
        unsigned char* to = destination + out;
        if (header >= 128) {
            const std::size_t count = 257 - header;
            std::uint64_t word = 0x0101010101010101ull * source[in++];
            for (std::size_t done = 0; done < count; done += 16) {
                std::memcpy(to + done, &word, 8);
                std::memcpy(to + done + 8, &word, 8);
            }
            out += count;
        } else {
            const std::size_t count = header + 1;
            const unsigned char* from = source + in;
            for (std::size_t done = 0; done < count; done += 16) Copy16(to + done, from + done);
            in += count;
            out += count;
        }
    }

    while (out < end) {
        if (in >= stored) return false;
        const unsigned header = source[in++];
        const std::size_t room = end - out;
        if (header >= 128) {
            if (in >= stored) return false;
            std::size_t count = 257 - header;
            if (count > room) count = room;
            std::memset(destination + out, source[in++], count);
            out += count;
        } else {
            std::size_t count = header + 1;
            if (count > room) count = room;
            if (stored - in < count) return false;
            std::memcpy(destination + out, source + in, count);
            in += count;
            out += count;
        }
    }
    return true;
}

std::uint64_t MaxLzssOutput(std::uint32_t storedSize) {
    // Two source bytes give at most 18 output bytes, and flag bytes give none.
    return std::uint64_t(storedSize) * 9;
}

std::uint64_t MaxRleOutput(std::uint32_t storedSize) {
    // A two-byte run packet gives at most 129 bytes; literals give less than
    // they take.
    return std::uint64_t(storedSize / 2) * 129;
}

namespace {

const MethodInfo kMethods[] = {
    {kMethodNone, nullptr, nullptr},
    {kMethodLzss, DecodeLzss, MaxLzssOutput},
    {kMethodRle, DecodeRle, MaxRleOutput},
};

}  // namespace

const MethodInfo* FindMethod(std::uint32_t code) {
    for (const MethodInfo& method : kMethods)
        if (method.code == code) return &method;
    return nullptr;
}

const MethodInfo* FindMethodOfDecoder(DecoderRoutine decoder) {
    if (!decoder) return nullptr;
    for (const MethodInfo& method : kMethods)
        if (method.decoder == decoder) return &method;
    return nullptr;
}
