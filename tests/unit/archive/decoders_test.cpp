// The two decoders: the worked examples, the edge cases of both streams,
// malformed streams, and round trips through the test writer's encoders.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "archive_test_support.h"
#include "core/archive/codecs.h"

namespace {

using archive_test::Bytes;

struct Decoded {
    bool ok;
    std::string data;
    bool guardIntact;
};

// Decodes from a heap copy of exactly the stored bytes into a destination
// followed by guard bytes, so reading past the source (under ASan) or
// writing past the size (always) shows.
Decoded Decode(DecoderRoutine decoder, const Bytes& source, std::uint32_t size) {
    std::unique_ptr<unsigned char[]> stored(new unsigned char[source.size() + 1]);
    if (!source.empty()) std::memcpy(stored.get(), source.data(), source.size());
    std::vector<unsigned char> destination(size + 64, 0xEE);
    const bool ok = decoder(destination.data(), source.empty() ? nullptr : stored.get(), size,
                            std::uint32_t(source.size()));
    bool guard = true;
    for (std::size_t i = size; i < destination.size(); ++i) guard = guard && destination[i] == 0xEE;
    return {ok, std::string(destination.begin(), destination.begin() + size), guard};
}

TEST(DecodeLzss, WorkedExampleGivesAbcThreeTimes) {
    const Decoded d = Decode(DecodeLzss, {0x07, 'a', 'b', 'c', 0xFD, 0x3F}, 9);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.data, "abcabcabc");
    EXPECT_TRUE(d.guardIntact);
}

TEST(DecodeRle, WorkedExampleGivesFiveAThenBc) {
    const Decoded d = Decode(DecodeRle, {0xFC, 'a', 0x01, 'b', 'c'}, 7);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.data, "aaaaabc");
    EXPECT_TRUE(d.guardIntact);
}

TEST(Decoders, SizeZeroReadsAndWritesNothing) {
    unsigned char destination[4] = {1, 2, 3, 4};
    // A null source shows that not one byte is read.
    EXPECT_TRUE(DecodeLzss(destination, nullptr, 0, 0));
    EXPECT_TRUE(DecodeRle(destination, nullptr, 0, 0));
    EXPECT_EQ(destination[0], 1);
    EXPECT_EQ(destination[3], 4);
}

TEST(DecodeLzss, LongestOneByteBackReferenceRepeatsEighteenTimes) {
    // Literal 'z', then W = 0xFFFF: P = 0xFFF (one back), L = 15 (18 bytes).
    const Decoded d = Decode(DecodeLzss, {0x01, 'z', 0xFF, 0xFF}, 19);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.data, std::string(19, 'z'));
}

TEST(DecodeLzss, OffsetZeroReachesFullWindowBack) {
    // 4096 literals 0,1,2,... then P = 0, L = 0: three bytes from 4096 back.
    std::string expected;
    Bytes source;
    for (int i = 0; i < 4096; ++i) {
        if (i % 8 == 0) source.push_back(0xFF);
        source.push_back(static_cast<unsigned char>(i * 7 + i / 256));
        expected.push_back(static_cast<char>(i * 7 + i / 256));
    }
    source.push_back(0x00);  // flag: back-reference
    source.push_back(0x00);
    source.push_back(0x00);
    expected += expected.substr(0, 3);
    const Decoded d = Decode(DecodeLzss, source, 4099);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.data, expected);
    EXPECT_TRUE(d.guardIntact);
}

TEST(DecodeLzss, NinthItemTakesAFreshFlagByte) {
    // First flag: eight literals. Second flag 0xFE: bit 0 = back-reference.
    // Leftover flag bits after the last item are ignored.
    const Decoded d = Decode(DecodeLzss,
                          {0xFF, '1', '2', '3', '4', '5', '6', '7', '8', 0xFE, 0xFD, 0x0F}, 11);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.data, "12345678678");
}

TEST(DecodeLzss, OverlappingCopyRepeatsItsOwnOutput) {
    // "ab" then two back: L = 3 -> six bytes "ababab".
    const Decoded d = Decode(DecodeLzss, {0x03, 'a', 'b', 0xFE, 0x3F}, 8);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.data, "abababab");
}

TEST(DecodeRle, RunHeadersCover129DownToTwo) {
    EXPECT_EQ(Decode(DecodeRle, {0x80, 'q'}, 129).data, std::string(129, 'q'));
    EXPECT_EQ(Decode(DecodeRle, {0xFF, 'q'}, 2).data, "qq");
    Bytes literal{0x7F};
    std::string expected;
    for (int i = 0; i < 128; ++i) {
        literal.push_back(static_cast<unsigned char>(i + 1));
        expected.push_back(static_cast<char>(i + 1));
    }
    const Decoded d = Decode(DecodeRle, literal, 128);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.data, expected);
}

// ---- Malformed streams --------------------------------------------------------

TEST(DecodeLzssMalformed, BackReferenceBeforeStartOfOutputIsRefused) {
    // One literal, then a reference two bytes back.
    EXPECT_FALSE(Decode(DecodeLzss, {0x01, 'a', 0xFE, 0x0F}, 4).ok);
    // A reference as the very first item.
    EXPECT_FALSE(Decode(DecodeLzss, {0x00, 0xFF, 0x0F}, 3).ok);
}

TEST(DecodeLzssMalformed, StreamShorterThanItsItemsIsRefused) {
    EXPECT_FALSE(Decode(DecodeLzss, {0x07, 'a', 'b'}, 3).ok);         // literal missing
    EXPECT_FALSE(Decode(DecodeLzss, {0x01, 'a', 0xFF}, 5).ok);        // half a reference
    EXPECT_FALSE(Decode(DecodeLzss, {0xFF, 1, 2, 3, 4, 5, 6, 7, 8}, 9).ok);  // no next flag
    EXPECT_FALSE(Decode(DecodeLzss, {}, 1).ok);
}

TEST(DecodeLzssMalformed, LastItemPastSizeIsCutAtSize) {
    // The reference would give 18 bytes; only 5 fit.
    const Decoded d = Decode(DecodeLzss, {0x01, 'z', 0xFF, 0xFF}, 5);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.data, "zzzzz");
    EXPECT_TRUE(d.guardIntact);
}

TEST(DecodeRleMalformed, StreamShorterThanItsPacketsIsRefused) {
    EXPECT_FALSE(Decode(DecodeRle, {0x80}, 129).ok);              // run without its byte
    EXPECT_FALSE(Decode(DecodeRle, {0x05, 'a', 'b'}, 6).ok);      // literals missing
    EXPECT_FALSE(Decode(DecodeRle, {0xFF, 'a'}, 3).ok);           // no next header
    EXPECT_FALSE(Decode(DecodeRle, {}, 1).ok);
}

TEST(DecodeRleMalformed, PacketsPastSizeAreCutAtSize) {
    Decoded run = Decode(DecodeRle, {0x80, 'r'}, 10);
    EXPECT_TRUE(run.ok);
    EXPECT_EQ(run.data, std::string(10, 'r'));
    EXPECT_TRUE(run.guardIntact);
    Decoded literal = Decode(DecodeRle, {0x03, 'a', 'b'}, 2);
    EXPECT_TRUE(literal.ok);
    EXPECT_EQ(literal.data, "ab");
    EXPECT_TRUE(literal.guardIntact);
}

TEST(Decoders, NeverWriteOutsideTheSizeWhateverTheBytes) {
    // Every stream of a simple family, at every small size: both decoders
    // stop at the size and never touch the guard.
    for (unsigned first = 0; first < 256; first += 3) {
        for (std::uint32_t size = 0; size < 40; ++size) {
            const Bytes source{static_cast<unsigned char>(first), 0x41, 0xFF, 0xFF, 0x00, 0x80, 0x42};
            EXPECT_TRUE(Decode(DecodeLzss, source, size).guardIntact) << first << " " << size;
            EXPECT_TRUE(Decode(DecodeRle, source, size).guardIntact) << first << " " << size;
        }
    }
}

// ---- Round trips -------------------------------------------------------------

TEST(Decoders, RoundTripThroughTheWritersEncoders) {
    std::vector<std::string> samples = {
        "",
        "a",
        "ab",
        std::string(1000, 'x'),
        archive_test::MixedData(100000, 1),
        archive_test::MixedData(8191, 2),
    };
    std::string noise;
    for (int i = 0; i < 20000; ++i) noise.push_back(static_cast<char>((i * 2654435761u) >> 13));
    samples.push_back(noise);
    std::string runs;
    for (int i = 0; i < 300; ++i) runs.append(std::size_t(i % 140), static_cast<char>('a' + i % 26));
    samples.push_back(runs);

    for (const std::string& sample : samples) {
        const auto size = std::uint32_t(sample.size());
        const Decoded lzss = Decode(DecodeLzss, EncodeLzss(sample), size);
        EXPECT_TRUE(lzss.ok) << size;
        EXPECT_TRUE(lzss.data == sample) << "LZSS round trip, size " << size;
        EXPECT_TRUE(lzss.guardIntact);
        const Decoded rle = Decode(DecodeRle, EncodeRle(sample), size);
        EXPECT_TRUE(rle.ok) << size;
        EXPECT_TRUE(rle.data == sample) << "RLE round trip, size " << size;
        EXPECT_TRUE(rle.guardIntact);
    }
}

}  // namespace
