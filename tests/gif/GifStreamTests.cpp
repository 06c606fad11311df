// The block structure of GIF streams, built by hand byte by byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "formats/gif/GifException.h"
#include "formats/gif/GifImage.h"
#include "platform/runtime/MemoryBudget.h"
#include "tests/MessageOf.h"
#include "tests/gif/GifTestSupport.h"

namespace vardel::giftest {
namespace {

// A frame of width x height at (left, top) with 2-bit codes.
Bytes Frame(unsigned left, unsigned top, unsigned width, unsigned height,
            const std::vector<TCode>& codes) {
    return TByteBuilder().Descriptor(left, top, width, height).Append(PackCodes(2, codes)).Get();
}

// A 1 x 1 frame at (0, 0) whose one pixel is index 0: codes clear, 0, end.
Bytes OnePixelFrame() {
    return Frame(0, 0, 1, 1, {{4, 3}, {0, 3}, {5, 3}});
}

Bytes Screen() {
    return ScreenWith4Colors(4, 3);
}

// The 4 x 3 screen, the blocks, and the trailer.
Bytes FileOf(std::initializer_list<Bytes> blocks) {
    TByteBuilder file;
    file.Append(Screen());
    for (const Bytes& block : blocks) file.Append(block);
    return file.U8(0x3B).Get();
}

TEST(GifStream, OnePixelFrameIsReadAndTheStreamEndsAfterTheTrailer) {
    const Bytes frame = OnePixelFrame();
    EXPECT_EQ(Bytes(frame.end() - 5, frame.end()), (Bytes{2, 2, 0x44, 0x01, 0}));
    const Bytes file = FileOf({frame});
    TLoaded r = Load(file);
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.position, static_cast<int64_t>(file.size()));
    EXPECT_EQ(r.image->Width(), 4);
    EXPECT_EQ(r.image->Header().GlobalColorMap().Count(), 4);
    EXPECT_EQ(r.image->Header().GlobalColorMap().Color(1), 0x0000FF);  // red as 0x00BBGGRR
    ASSERT_EQ(r.image->Frames().Count(), 1);
    EXPECT_EQ(r.image->Frames()[0].Pixels, Bytes{0});
}

TEST(GifStream, StreamEndingAfterTheScreenDescriptorHasNoFrames) {
    // A 10 x 20 screen without global map, background or aspect.
    TLoaded r = Load(TByteBuilder().Text("GIF89a").U16(10).U16(20).Raw({0, 0, 0}).Get());
    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_TRUE(r.image->IsEmpty());
    EXPECT_EQ(r.image->Height(), 20);
    EXPECT_EQ(r.image->Header().GlobalColorMap().Count(), 0);
}

TEST(GifStream, SignatureVersionsCaseAndPrefixes) {
    const Bytes rest =
        TByteBuilder().U16(1).U16(1).U8(0).U8(0).U8(0).Append(OnePixelFrame()).U8(0x3B).Get();
    struct Case {
        std::string head;
        std::string error;
    } cases[] = {
        {"GIF89a", ""},
        {"GIF87a", ""},
        {"GIFxyz", ""},                          // the version is not examined
        {"gif89a", ""},                          // compared upper-cased
        {"ABCDGIF89a", ""},                      // a 4-byte prefix is tolerated
        {"ABCGIF89a", "Invalid GIF signature"},  // 3 bytes are not
        {"ABCDEGIF89a", "Invalid GIF signature"},
        {"PNG89a", "Invalid GIF signature"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        TLoaded r = Load(TByteBuilder().Text(c.head).Append(rest).Get());
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.image->Frames().Count(), c.error.empty() ? 1 : 0);
    }
    EXPECT_EQ(Load(TByteBuilder().Text("GIF89").Get()).error, "Premature end of data");
    EXPECT_EQ(Load(TByteBuilder().Text("GIF89a").U16(1).Get()).error, "Premature end of data");
    // A global map announced but cut short.
    EXPECT_EQ(
        Load(TByteBuilder().Text("GIF89a").U16(1).U16(1).U8(0x81).U8(0).U8(0).Raw({1, 2, 3}).Get())
            .error,
        "Premature end of data");
}

TEST(GifStream, ZeroBytesBetweenBlocksAreSkipped) {
    TLoaded r = Load(FileOf({{0, 0}, OnePixelFrame(), {0, 0, 0}, OnePixelFrame()}));
    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.image->Frames().Count(), 2);
}

TEST(GifStream, ExtensionsBeforeTheTrailerMakeALastFrameWithoutImage) {
    // A comment of one sub-block after the frame.
    TLoaded r = Load(FileOf({OnePixelFrame(), {0x21, 0xFE, 2, 'h', 'i', 0}}));
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.image->Frames().Count(), 2);
    const TGIFSubImage& last = r.image->Frames()[1];
    EXPECT_TRUE(last.Empty());
    ASSERT_EQ(last.Extensions().Count(), 1);
    auto& comment = dynamic_cast<TGIFCommentExtension&>(last.Extensions()[0]);
    EXPECT_EQ(comment.TextLines, std::vector<std::string>{"hi"});
}

TEST(GifStream, FrameWithoutAreaTakesTheScreenSize) {
    TLoaded r = Load(FileOf({Frame(0, 0, 0, 1, {{4, 3}, {1, 3}, {5, 3}})}));
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.warnings, std::vector<std::string>{"Image exceeds Logical Screen size"});
    const TGIFSubImage& frame = r.image->Frames()[0];
    EXPECT_EQ(frame.Width, 4);
    EXPECT_EQ(frame.Height, 3);
    EXPECT_EQ(frame.Pixels, Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(GifStream, UnknownExtensionLabelIsAnError) {
    EXPECT_EQ(Load(TByteBuilder().Append(Screen()).Raw({0x21, 0x02, 0}).Get()).error,
              "Unknown extension type");
    EXPECT_EQ(Load(TByteBuilder().Append(Screen()).Raw({0x21}).Get()).error,
              "Unknown extension type");  // no label at all
    // An application block that ends before its block size.
    EXPECT_EQ(Load(TByteBuilder().Append(Screen()).Raw({0x21, 0xFF}).Get()).error,
              "Unknown extension type");
}

// An application block with the given block size and identifier, then data.
Bytes AppFile(unsigned size, std::string_view id, const Bytes& data) {
    return FileOf(
        {TByteBuilder().Raw({0x21, 0xFF, size}).Text(id).Append(data).Get(), OnePixelFrame()});
}

TEST(GifStream, ApplicationBlocksAreRefinedByIdentifier) {
    struct Case {
        unsigned size;
        std::string id;
        Bytes data;
        std::string kind;
        std::string error;
    } cases[] = {
        {11, "NETSCAPE2.0", {3, 1, 5, 0, 0}, "TGIFAppExtNSLoop", ""},
        {11, "ANIMEXTS1.0", {3, 1, 5, 0, 0}, "TGIFAppExtNSLoop", ""},
        {11, "netscape2.0", {3, 1, 5, 0, 0}, "TGIFUnknownAppExtension", ""},  // case matters
        {11, "XMP DataXMP", {2, 'a', 'b', 1, 'c', 0}, "TGIFUnknownAppExtension", ""},
        {10, "NETSCAPE2.", {3, 1, 5, 0, 0}, "TGIFUnknownAppExtension", ""},  // 10-byte identifier
        {12, "NETSCAPE2.0x", {3, 1, 5, 0, 0}, "", "Unsupported Application Extension block size"},
        {9, "NETSCAPE2", {3, 1, 5, 0, 0}, "", "Unsupported Application Extension block size"},
        // Loop and buffer sub-blocks too short.
        {11, "NETSCAPE2.0", {2, 1, 5, 0}, "", "Invalid GIF data"},
        {11, "NETSCAPE2.0", {4, 2, 1, 0, 0, 0}, "", "Invalid GIF data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id + " size " + std::to_string(c.size));
        TLoaded r = Load(AppFile(c.size, c.id, c.data));
        EXPECT_EQ(r.error, c.error);
        if (!c.error.empty()) continue;
        ASSERT_EQ(r.image->Frames().Count(), 1);
        const TGIFExtension& ext = r.image->Frames()[0].Extensions()[0];
        EXPECT_EQ(ext.ClassName(), c.kind);
        if (auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(&ext)) {
            EXPECT_EQ(loop->LoopCount, 5);
        }
    }
    TLoaded xmp = Load(AppFile(11, "XMP DataXMP", {2, 'a', 'b', 1, 'c', 0}));
    auto& unknown = dynamic_cast<TGIFUnknownAppExtension&>(xmp.image->Frames()[0].Extensions()[0]);
    ASSERT_EQ(unknown.SubBlocks.size(), 2u);
    EXPECT_EQ(unknown.SubBlocks[1].Data, Bytes{'c'});
    TLoaded shortId = Load(AppFile(10, "ABCDEFGHIJ", {0}));
    auto& tenBytes =
        dynamic_cast<TGIFApplicationExtension&>(shortId.image->Frames()[0].Extensions()[0]);
    EXPECT_EQ(tenBytes.Identifier[10], 0);
    EXPECT_EQ(tenBytes.IdentifierText().substr(0, 10), "ABCDEFGHIJ");
    // Both sub-blocks of a loop block, with a sub-block of an unknown kind skipped.
    TLoaded both =
        Load(AppFile(11, "NETSCAPE2.0", {5, 2, 0x10, 0x20, 0, 0, 3, 1, 7, 0, 2, 4, 9, 0}));
    ASSERT_EQ(both.error, "");
    auto& loop = dynamic_cast<TGIFAppExtNSLoop&>(both.image->Frames()[0].Extensions()[0]);
    EXPECT_EQ(loop.BufferSize, 0x2010u);
    EXPECT_EQ(loop.LoopCount, 7);
}

TEST(GifStream, GraphicControlCutShortWarnsAndLeavesTheFrameOpaque) {
    // A graphic control block (size 4, transparent colour given) ending in the delay.
    TLoaded r = Load(TByteBuilder().Append(Screen()).Raw({0x21, 0xF9, 4, 0x01}).Get());
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.warnings, std::vector<std::string>{"Premature end of data"});
    ASSERT_EQ(r.image->Frames().Count(), 1);
    EXPECT_FALSE(r.image->Frames()[0].IsTransparent);
    ASSERT_NE(r.image->Frames()[0].GraphicControl(), nullptr);
}

TEST(GifStream, GraphicControlFieldsAndTheFirstOneOfAFrameCounts) {
    // Disposal 3, transparent index 2, delay 250; then a second one with disposal 1.
    TLoaded r = Load(FileOf(
        {{0x21, 0xF9, 4, 0x0D, 250, 0, 2, 0}, {0x21, 0xF9, 4, 0x04, 7, 0, 1, 0}, OnePixelFrame()}));
    ASSERT_EQ(r.error, "");
    const TGIFSubImage& frame = r.image->Frames()[0];
    ASSERT_EQ(frame.Extensions().Count(), 2);
    const TGIFGraphicControlExtension* control = frame.GraphicControl();
    ASSERT_EQ(control, &frame.Extensions()[0]);
    EXPECT_EQ(control->Disposal(), 3);
    EXPECT_EQ(control->Delay, 250);
    EXPECT_TRUE(frame.IsTransparent);
    EXPECT_EQ(frame.Pixels, Bytes{0});  // decoded over the fill value 2
}

TEST(GifStream, WarningsLetTheLoadGoOn) {
    // A stray byte after a frame ends the block sequence; the trailer check sees it too.
    TLoaded unknown = Load(TByteBuilder().Append(Screen()).Append(OnePixelFrame()).U8(0x99).Get());
    EXPECT_EQ(unknown.error, "");
    EXPECT_EQ(unknown.warnings,
              (std::vector<std::string>{"Unknown GIF block type", "Invalid Image trailer"}));
    EXPECT_EQ(unknown.image->Frames().Count(), 1);

    // A zero byte between extensions ends the frame's extension list.
    // Comment "x", then 0 where an introducer belongs.
    TLoaded introducer = Load(FileOf({{0x21, 0xFE, 1, 'x', 0, 0}, OnePixelFrame()}));
    EXPECT_EQ(introducer.error, "");
    EXPECT_EQ(introducer.warnings, std::vector<std::string>{"Invalid extension introducer"});
    ASSERT_EQ(introducer.image->Frames().Count(), 2);
    EXPECT_TRUE(introducer.image->Frames()[0].Empty());
    EXPECT_EQ(introducer.image->Frames()[1].Pixels, Bytes{0});
}

TEST(GifStream, FailedLoadRewindsTheStreamAndKeepsEarlierFrames) {
    // Bytes before the picture; an unknown label after the frame.
    const Bytes file = TByteBuilder()
                           .Text("xyz")
                           .Append(Screen())
                           .Append(OnePixelFrame())
                           .Raw({0x21, 0x77, 0})
                           .Get();
    TGIFImage image;
    TReadOnlyMemoryStream stream(file.data(), file.size());
    stream.SetPosition(3);
    EXPECT_THROW(image.LoadStream(stream), GIFException);
    EXPECT_EQ(stream.Position(), 3);
    EXPECT_EQ(image.Frames().Count(), 1);
    // A new load starts from scratch.
    stream.SetPosition(3);
    const Bytes good = FileOf({});
    TReadOnlyMemoryStream goodStream(good.data(), good.size());
    image.LoadStream(goodStream);
    EXPECT_TRUE(image.IsEmpty());
}

TEST(GifStream, ProgressIsReportedForEveryFrame) {
    const Bytes file = FileOf({OnePixelFrame(), OnePixelFrame()});
    TGIFImage image;
    std::vector<std::tuple<TObject*, TProgressStage, int, bool, std::string>> reports;
    image.OnProgress = [&](TObject* sender, TProgressStage stage, uint8_t percent, bool redraw,
                           const gdi::RECT& r, const std::string& msg) {
        EXPECT_EQ(r, gdi::RECT{});
        reports.emplace_back(sender, stage, percent, redraw, msg);
    };
    TReadOnlyMemoryStream stream(file.data(), file.size());
    image.LoadStream(stream);
    TObject* img = &image;
    TObject* list = &image.Frames();
    const int size = static_cast<int>(file.size());
    using S = TProgressStage;
    EXPECT_EQ(reports, (std::vector<std::tuple<TObject*, TProgressStage, int, bool, std::string>>{
                           {img, S::psStarting, 0, false, "Loading..."},
                           {list, S::psRunning, (size - 16) * 100 / size, false, "Loading..."},
                           {list, S::psRunning, (size - 1) * 100 / size, false, "Loading..."},
                           {img, S::psEnding, 100, true, "Loading..."}}));

    reports.clear();
    const Bytes bad = TByteBuilder().Text("NOTAGIF").Get();
    TReadOnlyMemoryStream badStream(bad.data(), bad.size());
    EXPECT_THROW(image.LoadStream(badStream), GIFException);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(std::get<1>(reports[1]), TProgressStage::psEnding);
    EXPECT_EQ(std::get<2>(reports[1]), 0);
}

TEST(GifStream, ExtensionsCheckTheirOwnIntroducerAndLabel) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFCommentExtension comment(frame);
    auto errorOf = [&comment](const Bytes& bytes) {
        TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
        try {
            comment.LoadFromStream(stream);
        } catch (const GIFException& e) {
            return e.Message();
        }
        return std::string();
    };
    EXPECT_EQ(errorOf({0x22, 0xFE, 0}), "Invalid extension introducer");
    EXPECT_EQ(errorOf({0x21, 0xF9, 0}),
              "Internal error: Extension Instance does not match Extension Label");
    EXPECT_EQ(errorOf({0x21, 0xFE, 0}), "");
}

TEST(GifStream, AnItemSavesToAndLoadsFromANamedFile) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    TGIFCommentExtension comment(frame);
    comment.TextLines = {"made by", "hand"};
    const std::string file =
        (std::filesystem::temp_directory_path() / ("vardel-item-" + std::to_string(::getpid())))
            .string();
    comment.SaveToFile(file);
    TGIFCommentExtension reread(frame);
    reread.LoadFromFile(file);
    std::filesystem::remove(file);
    EXPECT_EQ(reread.TextLines, comment.TextLines);
    // A file that is not there is the files layer's error, and the item stays as it was.
    EXPECT_EQ(test::MessageOf<EFOpenError>([&] { reread.LoadFromFile(file); }),
              "Cannot open file " + file);
    EXPECT_EQ(reread.TextLines, comment.TextLines);
}

TEST(GifStream, PlainTextFieldsAndLines) {
    // Grid at (1, 2) of 30 x 40, cells of 8 x 16, colours 3 and 1, then two lines.
    TLoaded r = Load(FileOf({{0x21, 0x01, 12, 1,   0,   2,   0,   30,  0, 40,  0,   8,   16,
                              3,    1,    5,  'H', 'e', 'l', 'l', 'o', 3, 'G', 'I', 'F', 0},
                             OnePixelFrame()}));
    ASSERT_EQ(r.error, "");
    auto& text = dynamic_cast<TGIFTextExtension&>(r.image->Frames()[0].Extensions()[0]);
    EXPECT_EQ(text.GridWidth, 30);
    EXPECT_EQ(text.GridHeight, 40);
    EXPECT_EQ(text.CellHeight, 16);
    EXPECT_EQ(text.ForegroundColorIndex, 3);
    EXPECT_EQ(text.TextLines, (std::vector<std::string>{"Hello", "GIF"}));
    // A text block cut inside its fields.
    EXPECT_EQ(Load(TByteBuilder().Append(Screen()).Raw({0x21, 0x01, 12, 1, 2}).Get()).error,
              "Premature end of data");
}

TEST(GifStream, FramesNeedingMoreThanOneGiBAreRefusedBeforeAllocating) {
    // 4 GiB of indices.
    TLoaded huge = Load(TByteBuilder()
                            .Append(Screen())
                            .Descriptor(0, 0, 0xFFFF, 0xFFFF)
                            .Append(PackCodes(2, {{4, 3}, {5, 3}}))
                            .Get());
    EXPECT_EQ(huge.error, "Out of memory");
    // The frames of one image share the limit.
    TGIFImage image;
    TGIFSubImage frame(&image);
    const Bytes small =
        TByteBuilder().Descriptor(0, 0, 4, 4).Append(PackCodes(2, {{4, 3}, {5, 3}})).Get();
    TReadOnlyMemoryStream stream(small.data(), small.size());
    EXPECT_THROW(frame.LoadFromStream(stream, kMaxPictureBytes - 15), EOutOfMemory);
    stream.SetPosition(0);
    frame.LoadFromStream(stream, kMaxPictureBytes - 16);
    EXPECT_EQ(frame.PixelsSize(), 16u);
}

}  // namespace
}  // namespace vardel::giftest
