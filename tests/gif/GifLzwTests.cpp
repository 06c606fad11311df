// The LZW decoder on hand-built code streams.
#include <gtest/gtest.h>

#include <random>

#include "formats/gif/GifException.h"
#include "formats/gif/GifLzwDecoder.h"
#include "formats/gif/GifLzwEncoder.h"
#include "tests/gif/GifTestSupport.h"

namespace vardel::giftest {
namespace {

struct TDecoded {
    Bytes pixels;
    std::vector<std::string> warnings;
    std::string error;
    int64_t position = 0;
};

TDecoded Decode(const Bytes& data, uint32_t width, uint32_t height, bool interlaced = false,
                uint8_t fill = 0, bool walkAlways = false) {
    TDecoded r;
    r.pixels.assign(size_t{width} * height, static_cast<uint8_t>(fill + 1));  // overwritten
    TGIFLZWDecoder decoder([&r](const char* m) { r.warnings.emplace_back(m); }, walkAlways);
    TReadOnlyMemoryStream stream(data.data(), data.size());
    try {
        decoder.DecodePixels(stream, r.pixels.data(), width, height, interlaced, fill);
    } catch (const GIFException& e) {
        r.error = e.Message();
    }
    r.position = stream.Position();
    return r;
}

// Literal codes after a clear, each written at the width the decoder expects: the
// first code adds no entry, every later one adds one until the table is full.
std::vector<TCode> LiteralsAfterClear(int minCodeSize, const std::vector<int>& values) {
    const int clear = 1 << minCodeSize;
    int width = minCodeSize + 1;
    int freeCode = clear + 2;
    std::vector<TCode> codes{{clear, width}};
    for (size_t i = 0; i < values.size(); ++i) {
        codes.push_back({values[i], width});
        if (i > 0 && freeCode < 4096) {
            ++freeCode;
            if (freeCode >= (1 << width) && width < 12) ++width;
        }
    }
    return codes;
}

TEST(GifLzw, EndCodeBeforeAllPixelsKeepsTheFillValue) {
    const Bytes data = PackCodes(2, {{4, 3}, {1, 3}, {2, 3}, {5, 3}});  // clear, 1, 2, end
    EXPECT_EQ(Decode(data, 4, 1).pixels, Bytes({1, 2, 0, 0}));
    TDecoded r = Decode(data, 4, 1, false, 3);
    EXPECT_EQ(r.pixels, Bytes({1, 2, 3, 3}));
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.position, static_cast<int64_t>(data.size()));
}

TEST(GifLzw, CodesAtAndBeyondTheNextFreeSlot) {
    // 1, then 6 (the slot being defined: "1 1"), then 6 again.
    EXPECT_EQ(Decode(PackCodes(2, {{4, 3}, {1, 3}, {6, 3}, {6, 3}, {5, 4}}), 5, 1).pixels,
              Bytes({1, 1, 1, 1, 1}));
    // A code beyond the slot reads like the slot itself ...
    EXPECT_EQ(Decode(PackCodes(2, {{4, 3}, {1, 3}, {7, 3}, {5, 3}}), 3, 1).pixels,
              Bytes({1, 1, 1}));
    // ... but the entry defined after it refers to itself, which is caught when used.
    TDecoded circular =
        Decode(PackCodes(2, {{4, 3}, {1, 3}, {7, 3}, {6, 3}, {7, 4}, {5, 4}}), 9, 1);
    EXPECT_EQ(circular.error, "Circular decoder table entry");
}

TEST(GifLzw, ChainsLongerThanTheStackEndTheFrame) {
    // Entries 11 and 12 end up naming each other as prefix.
    TDecoded r =
        Decode(PackCodes(3, {{8, 4}, {1, 4}, {12, 4}, {11, 4}, {11, 4}, {11, 4}, {9, 4}}), 100, 1);
    EXPECT_EQ(r.error, "Decoder table chain too long");
}

TEST(GifLzw, MinimumCodeSizeAboveElevenIsRefused) {
    EXPECT_EQ(Decode(Bytes{12, 1, 0, 0}, 1, 1).error, "Invalid LZW minimum code size");
    // 11 still fits the table: clear 2048, then literal 2047 (stored as its low byte).
    EXPECT_EQ(Decode(PackCodes(11, {{2048, 12}, {2047, 12}, {2049, 12}}), 1, 1).pixels,
              Bytes{0xFF});
}

TEST(GifLzw, TheFullTableKeepsTwelveBitCodesUntilAClear) {
    // 4091 literals fill slots 6 to 4095; later codes add nothing and stay 12 bits.
    std::vector<int> values;
    for (int k = 0; k < 4091 + 3; ++k) values.push_back(k % 4);
    std::vector<TCode> codes = LiteralsAfterClear(2, values);
    EXPECT_EQ(codes.back().width, 12);
    codes.push_back({4095, 12});  // the last entry: "1 2"
    codes.push_back({6, 12});     // the first: "0 1"
    codes.push_back({4, 12});     // clear: widths start over
    codes.push_back({3, 3});
    codes.push_back({5, 3});
    const Bytes data = PackCodes(2, codes);
    const uint32_t count = static_cast<uint32_t>(values.size() + 5);
    TDecoded r = Decode(data, count, 1);
    ASSERT_EQ(r.error, "");
    Bytes expected(values.begin(), values.end());
    for (int v : {1, 2, 0, 1, 3}) expected.push_back(static_cast<uint8_t>(v));
    EXPECT_EQ(r.pixels, expected);
    // giflib reads the same stream as a frame to the same indices.
    const Bytes file = TByteBuilder()
                           .Append(ScreenWith4Colors(static_cast<int>(count), 1))
                           .Descriptor(0, 0, count, 1)
                           .Append(data)
                           .U8(0x3B)
                           .Get();
    auto oracle = ReadWithGiflib(file);
    ASSERT_TRUE(oracle);
    EXPECT_EQ(oracle->frames[0].pixels, expected);
}

TEST(GifLzw, ShortDataWarnsAndKeepsWhatWasDecoded) {
    // The sub-block promises 10 bytes; only the first two are there, which hold the
    // codes clear, 1, 2, 3 (3 bits) and 1 (4 bits, as the table has grown).
    const Bytes whole = PackCodes(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}, {5, 4}});
    Bytes truncated(whole.begin(), whole.begin() + 4);  // code size, length, 2 data bytes
    truncated[1] = 10;
    TDecoded r = Decode(truncated, 6, 1, false, 7);
    EXPECT_EQ(r.pixels, Bytes({1, 2, 3, 1, 7, 7}));
    EXPECT_EQ(r.warnings, std::vector<std::string>{"Premature end of data"});
    EXPECT_EQ(r.position, 4);
}

TEST(GifLzw, TheTerminatorCuttingACodeShortGivesZeroBits) {
    // clear (100), 3 (011), then 2 of the 3 bits of the next code: 01.
    const Bytes data{2, 1, 0x1C | (1 << 6), 0};
    TDecoded r = Decode(data, 3, 1, false, 9);
    EXPECT_EQ(r.pixels, Bytes({3, 1, 9}));
    EXPECT_EQ(r.warnings, std::vector<std::string>{"Decoder bit buffer under-run"});
    EXPECT_EQ(r.position, 4);
}

TEST(GifLzw, EndCodeRightAfterAClearIsNoPixel) {
    EXPECT_EQ(Decode(PackCodes(2, {{4, 3}, {5, 3}}), 2, 1, false, 3).pixels, Bytes({3, 3}));
    EXPECT_EQ(Decode(PackCodes(2, {{4, 3}, {1, 3}, {4, 3}, {5, 3}}), 3, 1, false, 3).pixels,
              Bytes({1, 3, 3}));
}

TEST(GifLzw, DataBeyondTheLastPixelIsSkippedToTheTerminator) {
    // Five pixels of codes for a 1 x 1 frame, in 1-byte sub-blocks, then a next block.
    Bytes data = PackCodes(2, {{4, 3}, {2, 3}, {2, 3}, {2, 3}, {2, 4}, {5, 4}}, 1);
    const size_t frameEnd = data.size();
    data.push_back(0x3B);
    TDecoded r = Decode(data, 1, 1);
    EXPECT_EQ(r.pixels, Bytes{2});
    EXPECT_EQ(r.position, static_cast<int64_t>(frameEnd));
}

TEST(GifLzw, AFrameWithoutAreaPassesOverItsData) {
    const Bytes data = PackCodes(2, {{4, 3}, {1, 3}, {5, 3}}, 1);
    for (bool interlaced : {false, true}) {
        TDecoded r = Decode(data, 0, 3, interlaced);
        EXPECT_TRUE(r.pixels.empty());
        EXPECT_EQ(r.position, static_cast<int64_t>(data.size()));
    }
    EXPECT_EQ(Decode(Bytes{12, 0}, 3, 0).error, "Invalid LZW minimum code size");
}

TEST(GifLzw, CodesSpanningSeveralTinySubBlocks) {
    // Nine-bit codes in sub-blocks of one byte each: every code spans two blocks.
    const Bytes data = PackCodes(8, {{256, 9}, {10, 9}, {20, 9}, {30, 9}, {40, 9}, {257, 9}}, 1);
    TDecoded r = Decode(data, 4, 1);
    EXPECT_EQ(r.pixels, Bytes({10, 20, 30, 40}));
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.position, static_cast<int64_t>(data.size()));
}

TEST(GifLzw, TheFastPathMatchesTheWalkOnValidAndDamagedStreams) {
    std::mt19937 random(12345);
    for (int round = 0; round < 600; ++round) {
        SCOPED_TRACE(round);
        const int bits = 1 + static_cast<int>(random() % 8);
        const uint32_t width = 1 + random() % 40, height = 1 + random() % 30;
        Bytes pixels(size_t{width} * height);
        const int run = 1 + static_cast<int>(random() % 6);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>((i / static_cast<size_t>(run) * 7 + random() % 2) %
                                             (1u << bits));
        TMemoryStream encoded;
        TLZWEncoder encoder;
        encoder.Encode(encoded, bits, 1 << bits, pixels.data(), false, static_cast<int>(height),
                       static_cast<int>(width));
        Bytes data = encoded.TakeBytes();
        const bool damage = round % 3 != 0;
        if (damage) {
            for (int k = 0; k < 3; ++k) {
                const size_t at = 1 + random() % (data.size() - 1);
                data[at] = static_cast<uint8_t>(random());
            }
        }
        const bool interlaced = random() % 2;
        TDecoded fast = Decode(data, width, height, interlaced);
        TDecoded walked = Decode(data, width, height, interlaced, 0, true);
        EXPECT_EQ(fast.error, walked.error);
        // A frame whose decoding fails is dropped, whatever its pixels hold.
        if (fast.error.empty()) {
            EXPECT_EQ(fast.pixels, walked.pixels);
        }
        EXPECT_EQ(fast.warnings, walked.warnings);
        EXPECT_EQ(fast.position, walked.position);
        if (!damage && !interlaced) {
            EXPECT_EQ(fast.pixels, pixels);
            EXPECT_EQ(fast.position, static_cast<int64_t>(data.size()));
        }
    }
}

}  // namespace
}  // namespace vardel::giftest
