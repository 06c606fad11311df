// Metafiles from other programs: Pillow's drawing against the pictures Windows made of
// it, 153 enhanced metafiles from real programs that must all play and draw, and 21
// damaged ones that must be refused or played without harm.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "graphics/Canvas.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "platform/runtime/ByteOrder.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Streams.h"
#include "tests/graphics/TestSupport.h"

using namespace vardel;
using namespace vardel::test;
namespace fs = std::filesystem;

namespace {
fs::path Corpus() {
    return fs::path(VARDEL_CORPUS_DIR) / "metafile";
}

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The reference picture as raw pixels, through the peer script.
TRawPicture Reference(const fs::path& png) {
    const fs::path dir =
        fs::temp_directory_path() / ("vardel-meta-refs-" + std::to_string(::getpid()));
    const std::string command = "/usr/bin/python3 " + std::string(VARDEL_SOURCE_DIR) +
                                "/tests/graphics/png_to_rgb.py " + dir.string() + " " +
                                png.string();
    EXPECT_EQ(std::system(command.c_str()), 0);
    TRawPicture raw = ReadRaw(dir / (png.stem().string() + ".rgb"));
    fs::remove_all(dir);
    return raw;
}

// Pixels that differ from the reference by more than a quarter of the range in some
// channel: all of them, and those whose reference neighbourhood (two pixels each way)
// is of one colour, where no edge can excuse a difference.
struct Difference {
    int all = 0, awayFromEdges = 0;
};

Difference Compare(TBitmap& ours, const TRawPicture& ref) {
    Difference d;
    const int w = static_cast<int>(ref.width), h = static_cast<int>(ref.height);
    auto refAt = [&](int x, int y) {
        x = std::clamp(x, 0, w - 1), y = std::clamp(y, 0, h - 1);
        const uint8_t* p = &ref.rgb[(size_t(y) * w + x) * 3];
        return p[0] | (p[1] << 8) | (p[2] << 16);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor c = ours.Surface().ReadPixel(x, y);
            const int r = refAt(x, y);
            int most = 0;
            for (int k = 0; k < 3; ++k)
                most = std::max(most, std::abs(int((c >> 8 * k) & 0xFF) - ((r >> 8 * k) & 0xFF)));
            if (most <= 64) continue;
            ++d.all;
            bool uniform = true;
            for (int dy = -2; dy <= 2 && uniform; ++dy)
                for (int dx = -2; dx <= 2 && uniform; ++dx) uniform = refAt(x + dx, y + dy) == r;
            d.awayFromEdges += uniform;
        }
    return d;
}

// Draws a metafile onto a white bitmap of the given size.
void Draw(TMetafile& metafile, TBitmap& target, int width, int height) {
    target.SetPixelLayout(TPixelLayout::Format32Bit);
    Fill(target, width, height, clWhite);
    target.Surface().DrawGraphicStretched({0, 0, width, height}, &metafile);
}
}  // namespace

TEST(MetafileCorpus, PillowsEnhancedDrawingLooksAsWindowsDrawsIt) {
    const fs::path dir = Corpus() / "pillow";
    if (!fs::exists(dir / "drawing.emf")) GTEST_SKIP() << "the shared corpus is not here";
    if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
    const TRawPicture ref = Reference(dir / "drawing_emf_ref.png");
    TMetafile metafile;
    metafile.LoadFile((dir / "drawing.emf").string());
    // The reference shows the picture's frame at its own size.
    TBitmap ours;
    Draw(metafile, ours, static_cast<int>(ref.width), static_cast<int>(ref.height));
    const Difference d = Compare(ours, ref);
    RecordProperty("differing_pixels", d.all);
    // The outline's edges may lie a pixel or two apart on a picture of 1625 × 1625: at
    // most one pixel in a thousand differs.
    EXPECT_LE(d.all, static_cast<int>(ref.width * ref.height / 1000));
    EXPECT_EQ(d.awayFromEdges, 0);
}

TEST(MetafileCorpus, PillowsWindowsDrawingLooksAsWindowsDrawsIt) {
    const fs::path dir = Corpus() / "pillow";
    if (!fs::exists(dir / "drawing.wmf")) GTEST_SKIP() << "the shared corpus is not here";
    if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
    const TRawPicture ref = Reference(dir / "drawing_wmf_ref.png");
    // The file's window (0, 0)–(1369, 1369) leaves part of its circle outside; the
    // reference was drawn with the extent of the drawing, (263, 264)–(1587, 1587), as
    // the frame, as Windows does for a metafile converted without a placement. The
    // file is given that window here, so that the drawing itself is compared.
    std::vector<uint8_t> bytes = ReadAll(dir / "drawing.wmf");
    for (size_t at = 22 + 18; at + 10 <= bytes.size();) {
        const uint16_t function = LoadLe16(&bytes[at + 4]);
        if (function == 0x020B) StoreLe16(&bytes[at + 6], 264), StoreLe16(&bytes[at + 8], 263);
        if (function == 0x020C) StoreLe16(&bytes[at + 6], 1323), StoreLe16(&bytes[at + 8], 1324);
        if (function == 0 || LoadLe32(&bytes[at]) < 3) break;
        at += size_t{LoadLe32(&bytes[at])} * 2;
    }
    TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
    TMetafile metafile;
    metafile.LoadStream(stream);
    TBitmap ours;
    Draw(metafile, ours, static_cast<int>(ref.width), static_cast<int>(ref.height));
    const Difference d = Compare(ours, ref);
    RecordProperty("differing_pixels", d.all);
    // 82 × 82 pixels, where the reference's frame also takes in the pen's width: the
    // outline may fall a pixel or two apart all round, one pixel in twelve.
    EXPECT_LE(d.all, static_cast<int>(ref.width * ref.height / 12));
    EXPECT_EQ(d.awayFromEdges, 0);
}

TEST(MetafileCorpus, EveryEnhancedMetafileFromRealProgramsPlaysAndDraws) {
    const fs::path dir = Corpus() / "emf";
    if (!fs::exists(dir)) GTEST_SKIP() << "the shared corpus is not here";
    int files = 0, drawn = 0, emptyByDesign = 0;
    std::vector<std::string> blank;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".emf") continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        TPicture picture;
        ASSERT_NO_THROW(picture.LoadFile(entry.path().string()));
        auto* metafile = dynamic_cast<TMetafile*>(picture.Graphic());
        ASSERT_NE(metafile, nullptr);
        // At its own size, within 800 pixels a side (some frames measure metres).
        const double scale = std::min(1.0, 800.0 / std::max(metafile->Width(), metafile->Height()));
        const int w = std::max(1, static_cast<int>(metafile->Width() * scale));
        const int h = std::max(1, static_cast<int>(metafile->Height() * scale));
        TBitmap target;
        Draw(*metafile, target, w, h);
        int ink = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ink += target.Surface().ReadPixel(x, y) != clWhite;
        // A file whose recorded bounds are empty says it draws nothing.
        const std::vector<uint8_t> head = ReadAll(entry.path());
        const bool drawsNothing =
            static_cast<int32_t>(LoadLe32(&head[16])) < static_cast<int32_t>(LoadLe32(&head[8]));
        if (ink > 0)
            ++drawn;
        else if (drawsNothing)
            ++emptyByDesign;
        else
            blank.push_back(entry.path().filename().string());
    }
    RecordProperty("files", files);
    RecordProperty("drawn", drawn);
    RecordProperty("empty_by_design", emptyByDesign);
    EXPECT_EQ(files, 153);
    EXPECT_EQ(drawn + emptyByDesign, files);
    EXPECT_TRUE(blank.empty()) << blank.front();
}

TEST(MetafileCorpus, DamagedEnhancedMetafilesAreRefusedOrPlayedSafely) {
    const fs::path dir = Corpus() / "emf-corrupted";
    if (!fs::exists(dir)) GTEST_SKIP() << "the shared corpus is not here";
    int files = 0, refused = 0, played = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".emf") continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        TPicture picture;
        try {
            picture.LoadFile(entry.path().string());
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "Metafile is not valid");
            ++refused;
            continue;
        } catch (const EReadError& e) {
            EXPECT_STREQ(e.what(), "Stream read error");
            ++refused;
            continue;
        }
        auto* metafile = dynamic_cast<TMetafile*>(picture.Graphic());
        ASSERT_NE(metafile, nullptr);
        TBitmap target;
        Draw(*metafile, target, 320, 240);
        ++played;
    }
    RecordProperty("refused", refused);
    RecordProperty("played", played);
    EXPECT_EQ(files, 21);
    EXPECT_EQ(refused + played, files);
}
