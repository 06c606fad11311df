// Writing GIF streams: byte-exact cases and the LZW encoder's table handling.
#include <gtest/gtest.h>

#include "formats/gif/GifImage.h"
#include "formats/gif/GifLzwEncoder.h"
#include "tests/gif/GifRenderSupport.h"

namespace vardel::giftest {
namespace {

void AddColors(TGIFColorMap& map, int count) {
    for (int i = 0; i < count; ++i)
        map.Add(
            {static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i), static_cast<uint8_t>(3 * i)});
}

std::string SaveError(TGIFImage& image, Bytes* written = nullptr) {
    TMemoryStream stream;
    try {
        image.SaveStream(stream);
    } catch (const Exception& e) {
        if (written) *written = stream.Bytes();
        return e.Message();
    }
    return "";
}

TEST(GifWriter, OnePixelFrameWithATwoColourMapIsExact) {
    TGIFImage image;
    image.Header().ScreenWidth = 1;
    image.Header().ScreenHeight = 1;
    AddColors(image.Header().GlobalColorMap(), 2);
    AddFrame(image, {0, 0, 1, 1, {0}});
    // No extension: the older version. The screen has a global map of 2 entries at
    // resolution 1, no background or aspect. The frame's minimum code size is 2
    // (colour limit 4); its codes clear (4), 0, end (5) take 3 bits each.
    const Bytes expected = TByteBuilder()
                               .Text("GIF87a")
                               .U16(1)
                               .U16(1)
                               .Raw({0x80, 0, 0, 0, 0, 0, 1, 2, 3})
                               .Descriptor(0, 0, 1, 1)
                               .Raw({2, 2, 0x44, 0x01, 0, 0x3B})
                               .Get();
    EXPECT_EQ(Save(image), expected);
}

TEST(GifWriter, VersionFollowsTheFrames) {
    TGIFImage image;
    EXPECT_EQ(SaveError(image), "Unsupported GIF version");
    AddColors(image.Header().GlobalColorMap(), 2);
    AddFrame(image, {0, 0, 1, 1, {1}});
    TGIFSubImage& second = AddFrame(image, {0, 0, 1, 1, {0}});
    EXPECT_EQ(image.Version(), TGIFVersion::gv87a);
    second.LocalColorMap().SortedFlag = true;
    EXPECT_EQ(image.Version(), TGIFVersion::gv89a);
    second.LocalColorMap().SortedFlag = false;
    second.Extensions().Add(std::make_unique<TGIFCommentExtension>(second));
    const Bytes bytes = Save(image);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
}

TEST(GifWriter, ColourMapsArePaddedToAPowerOfTwo) {
    TGIFImage image;
    image.Header().ScreenWidth = 2;
    image.Header().ScreenHeight = 1;
    AddColors(image.Header().GlobalColorMap(), 5);
    image.Header().ScreenFlags = 0x07;  // stale flags are recomputed
    AddFrame(image, {0, 0, 2, 1, {4, 1}});
    const Bytes bytes = Save(image);
    EXPECT_EQ(bytes[10], 0x80 | 0x20 | 0x02);  // map, resolution 3 - 1, size field 2
    const Bytes map(bytes.begin() + 13, bytes.begin() + 13 + 24);
    EXPECT_EQ(Bytes(map.begin() + 12, map.begin() + 15), Bytes({4, 8, 12}));
    EXPECT_EQ(Bytes(map.begin() + 15, map.end()), Bytes(9, 0));  // three zero entries
    EXPECT_EQ(bytes[13 + 24 + 10], 3);  // minimum code size: the map's 3 bits

    // A local map of 3 entries is written as 4, and indices must stay below 3.
    TGIFSubImage& local = AddFrame(image, {0, 0, 2, 1, {2, 0}});
    AddColors(local.LocalColorMap(), 3);
    local.FrameFlags = 0x40;  // interlaced, but a frame with a local map is written in order
    const Bytes both = Save(image);
    TLoaded back = Load(both);
    ASSERT_EQ(back.error, "");
    EXPECT_EQ(back.image->Frames()[1].FrameFlags, 0x81);
    EXPECT_EQ(back.image->Frames()[1].LocalColorMap().Count(), 4);
    EXPECT_EQ(back.image->Frames()[1].Pixels, Bytes({2, 0}));
    local.Pixels = {3, 0};
    Bytes partial;
    EXPECT_EQ(SaveError(image, &partial), "Color not in color table");
    EXPECT_GT(partial.size(), bytes.size() - 1);  // what came before stays written
}

TEST(GifWriter, TheImageSeparatorIsAlwaysWritten) {
    // A frame read after a stray byte keeps that byte as its separator.
    // A comment, then a frame whose separator is a stray byte.
    const Bytes file = TByteBuilder()
                           .Append(ScreenWith4Colors(1, 1))
                           .Raw({0x21, 0xFE, 1, 'x', 0})
                           .Descriptor(0, 0, 1, 1, 0, 0x55)
                           .Append(PackCodes(2, {{4, 3}, {3, 3}, {5, 3}}))
                           .U8(0x3B)
                           .Get();
    TLoaded r = Load(file);
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.image->Frames().Count(), 1);
    EXPECT_EQ(r.image->Frames()[0].Separator, 0x55);
    TLoaded again = Load(Save(*r.image));
    ASSERT_EQ(again.error, "");
    ASSERT_EQ(again.image->Frames().Count(), 1);
    EXPECT_EQ(again.image->Frames()[0].Pixels, Bytes{3});
}

TEST(GifWriter, ExtensionsAreWrittenAsStored) {
    TGIFImage image;
    AddColors(image.Header().GlobalColorMap(), 2);
    // Disposal 2 and transparent index 1: flags 0x09.
    TGIFSubImage& frame = AddFrame(image, {0, 0, 1, 1, {0}, 2, 0x0102, 1});
    auto comment = std::make_unique<TGIFCommentExtension>(frame);
    comment->TextLines = {"", std::string(300, 'c')};
    frame.Extensions().Add(std::move(comment));
    auto loop = std::make_unique<TGIFAppExtNSLoop>(frame);
    loop->LoopCount = 3;
    loop->BufferSize = 0x01020304;
    frame.Extensions().Add(std::move(loop));
    auto unknown = std::make_unique<TGIFUnknownAppExtension>(frame);
    unknown->SetIdentifier("ABCDEFGHIJ");  // a 10-byte identifier gets its zero 11th byte
    unknown->SubBlocks = {{{7, 8}}, {{}}};
    frame.Extensions().Add(std::move(unknown));
    const Bytes bytes = Save(image);

    Bytes comment300 = TByteBuilder().Raw({0x21, 0xFE, 255}).Get();
    comment300.insert(comment300.end(), 255, 'c');
    comment300.push_back(45);
    comment300.insert(comment300.end(), 45, 'c');
    comment300.push_back(0);
    const Bytes expected = TByteBuilder()
                               .Raw({0x21, 0xF9, 4, 0x09, 0x02, 0x01, 1, 0})  // graphic control
                               .Append(comment300)  // the empty line writes nothing
                               .Raw({0x21, 0xFF, 11})
                               .Text("NETSCAPE2.0")
                               .Raw({3, 1, 3, 0, 5, 2, 4, 3, 2, 1, 0})  // loop, buffer size
                               .Raw({0x21, 0xFF, 11})
                               .Text("ABCDEFGHIJ")
                               .U8(0)
                               .Raw({2, 7, 8, 0})  // the empty block writes nothing
                               .Get();
    const size_t start = 13 + 6;
    ASSERT_GE(bytes.size(), start + expected.size());
    EXPECT_EQ(Bytes(bytes.begin() + start,
                    bytes.begin() + static_cast<ptrdiff_t>(start + expected.size())),
              expected);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
}

// The codes of an image data stream, read with the decoder's width rule.
std::vector<TCode> ReadCodes(const Bytes& data) {
    const int minCodeSize = data[0];
    Bytes packed;
    for (size_t at = 1; at < data.size() && data[at] != 0; at += 1 + data[at]) {
        // The writer fills every sub-block but the last.
        const bool last = at + 1 + data[at] >= data.size() || data[at + 1 + data[at]] == 0;
        EXPECT_TRUE(last || data[at] == 255);
        packed.insert(packed.end(), data.begin() + static_cast<ptrdiff_t>(at + 1),
                      data.begin() + static_cast<ptrdiff_t>(at + 1 + data[at]));
    }
    const int clear = 1 << minCodeSize;
    int width = minCodeSize + 1, freeCode = clear + 2;
    bool first = true;
    std::vector<TCode> codes;
    for (size_t bit = 0; bit + static_cast<size_t>(width) <= packed.size() * 8;) {
        int code = 0;
        for (int k = 0; k < width; ++k, ++bit) code |= ((packed[bit / 8] >> (bit % 8)) & 1) << k;
        codes.push_back({code, width});
        if (code == clear) {
            width = minCodeSize + 1;
            freeCode = clear + 2;
            first = true;
            continue;
        }
        if (code == clear + 1) break;
        if (!first && freeCode < 4096 && ++freeCode >= (1 << width) && width < 12) ++width;
        first = false;
    }
    return codes;
}

TEST(GifWriter, TheEncoderStartsAFreshTableBeforeTheDecoderWouldRunOut) {
    TGIFImage image;
    AddColors(image.Header().GlobalColorMap(), 256);
    Bytes pixels(200 * 150);
    uint32_t seed = 1;
    for (uint8_t& p : pixels) {
        seed = seed * 1103515245 + 12345;
        p = static_cast<uint8_t>(seed >> 16);
    }
    AddFrame(image, {0, 0, 200, 150, pixels});
    const Bytes bytes = Save(image);
    const size_t dataStart = 13 + 768 + 10;
    const std::vector<TCode> codes = ReadCodes(Bytes(bytes.begin() + dataStart, bytes.end() - 1));
    int clears = 0;
    size_t lastClear = 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i].code != 256) continue;
        if (clears++ > 0) {
            // 3838 codes: one without an entry, then entries 258 to 4094.
            EXPECT_EQ(i - lastClear - 1, 3838u);
            EXPECT_EQ(codes[i].width, 12);
        }
        lastClear = i;
    }
    EXPECT_GT(clears, 2);
    EXPECT_EQ(codes.back().code, 257);
    EXPECT_EQ(Load(bytes).image->Frames()[0].Pixels, pixels);
    auto oracle = ReadWithGiflib(bytes);
    ASSERT_TRUE(oracle);
    EXPECT_EQ(oracle->frames[0].pixels, pixels);
}

TEST(GifWriter, HashHomeSlotIsTheRemainderForEveryKey) {
    for (uint32_t key = 0; key < (1u << 20); ++key)
        ASSERT_EQ(THashTable::Home(key), static_cast<int>((key ^ (key >> 4)) % 8009)) << key;
}

TEST(GifWriter, ProgressAfterEveryFrame) {
    TGIFImage image;
    AddColors(image.Header().GlobalColorMap(), 2);
    for (int i = 0; i < 3; ++i) AddFrame(image, {0, 0, 1, 1, {0}});
    std::vector<std::tuple<TObject*, TProgressStage, int, bool>> reports;
    image.OnProgress = [&](TObject* sender, TProgressStage stage, uint8_t percent, bool redraw,
                           const gdi::RECT&, const std::string& msg) {
        EXPECT_EQ(msg, "Saving...");
        reports.emplace_back(sender, stage, percent, redraw);
    };
    Save(image);
    TObject* img = &image;
    TObject* list = &image.Frames();
    using S = TProgressStage;
    EXPECT_EQ(reports, (std::vector<std::tuple<TObject*, TProgressStage, int, bool>>{
                           {img, S::psStarting, 0, false},
                           {list, S::psRunning, 33, false},
                           {list, S::psRunning, 67, false},
                           {list, S::psRunning, 100, false},
                           {img, S::psEnding, 100, true}}));
    reports.clear();
    image.Frames()[1].Pixels = {9};
    EXPECT_EQ(SaveError(image), "Color not in color table");
    EXPECT_EQ(reports.back(), std::make_tuple(img, S::psEnding, 0, true));
}

}  // namespace
}  // namespace vardel::giftest
