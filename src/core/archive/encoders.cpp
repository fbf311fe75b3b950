#include "core/archive/codecs.h"

namespace {

constexpr std::size_t kWindow = 4096;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr int kChainDepth = 48;
constexpr unsigned kHashBits = 15;

inline unsigned Hash3(const unsigned char* p) {
    return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & ((1u << kHashBits) - 1);
}

// The run-length coder, writing through `sink` so that the stored size can
// be counted without building the stream.
template <typename Sink>
void RunRle(const unsigned char* data, std::size_t size, Sink& sink) {
    std::size_t at = 0;
    std::size_t literalStart = 0;
    auto flushLiterals = [&](std::size_t end) {
        while (literalStart < end) {
            const std::size_t count = end - literalStart < 128 ? end - literalStart : 128;
            sink.Put(static_cast<unsigned char>(count - 1));
            sink.PutMany(data + literalStart, count);
            literalStart += count;
        }
    };
    while (at < size) {
        std::size_t run = 1;
        while (at + run < size && run < 129 && data[at + run] == data[at]) ++run;
        if (run >= 3) {
            flushLiterals(at);
            sink.Put(static_cast<unsigned char>(257 - run));
            sink.Put(data[at]);
            at += run;
            literalStart = at;
        } else {
            at += run;
        }
    }
    flushLiterals(size);
}

struct RleCounter {
    std::size_t size = 0;
    void Put(unsigned char) { ++size; }
    void PutMany(const unsigned char*, std::size_t count) { size += count; }
};

struct RleBuilder {
    std::vector<unsigned char>& out;
    void Put(unsigned char b) { out.push_back(b); }
    void PutMany(const unsigned char* from, std::size_t count) { out.insert(out.end(), from, from + count); }
};

}  // namespace

std::vector<unsigned char> EncodeLzss(const unsigned char* data, std::size_t size) {
    std::vector<unsigned char> out;
    out.reserve(size + size / 8 + 16);
    std::vector<long> head(std::size_t(1) << kHashBits, -1);
    // Only the last kWindow positions can be matched, so a ring suffices.
    std::vector<long> previous(kWindow, -1);
    std::size_t flagAt = 0;
    int items = 8;  // a fresh flag byte before the first item

    auto beginItem = [&](bool literal) {
        if (items == 8) {
            flagAt = out.size();
            out.push_back(0);
            items = 0;
        }
        if (literal) out[flagAt] |= static_cast<unsigned char>(1u << items);
        ++items;
    };
    auto remember = [&](std::size_t at) {
        if (at + kMinMatch > size) return;
        const unsigned h = Hash3(data + at);
        previous[at & (kWindow - 1)] = head[h];
        head[h] = long(at);
    };

    std::size_t at = 0;
    while (at < size) {
        std::size_t bestLength = 0;
        std::size_t bestDistance = 0;
        if (at + kMinMatch <= size) {
            const std::size_t limit = size - at < kMaxMatch ? size - at : kMaxMatch;
            long candidate = head[Hash3(data + at)];
            for (int depth = 0; candidate >= 0 && depth < kChainDepth; ++depth) {
                const std::size_t distance = at - std::size_t(candidate);
                if (distance > kWindow) break;
                std::size_t length = 0;
                while (length < limit && data[std::size_t(candidate) + length] == data[at + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                    if (length == limit) break;
                }
                candidate = previous[std::size_t(candidate) & (kWindow - 1)];
            }
        }
        if (bestLength >= kMinMatch) {
            beginItem(false);
            const unsigned word = unsigned((kWindow - bestDistance) & 0x0FFF) |
                                  unsigned((bestLength - kMinMatch) << 12);
            out.push_back(static_cast<unsigned char>(word & 0xFF));
            out.push_back(static_cast<unsigned char>(word >> 8));
            for (std::size_t i = 0; i < bestLength; ++i) remember(at + i);
            at += bestLength;
        } else {
            beginItem(true);
            out.push_back(data[at]);
            remember(at);
            ++at;
        }
    }
    return out;
}

std::vector<unsigned char> EncodeRle(const unsigned char* data, std::size_t size) {
    std::vector<unsigned char> out;
    out.reserve(size + size / 64 + 2);
    RleBuilder builder{out};
    RunRle(data, size, builder);
    return out;
}

std::size_t RleEncodedSize(const unsigned char* data, std::size_t size) {
    RleCounter counter;
    RunRle(data, size, counter);
    return counter.size;
}
