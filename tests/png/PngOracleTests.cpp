// PNG files of other programs against Pillow's colours and pypng's alpha: PngSuite
// (every colour type, depth and interlacing), files written by Pillow and
// ImageMagick; and our own files read by those two.
#include <algorithm>

#include "tests/png/PngTestSupport.h"

namespace vardel::test {
namespace {

std::vector<fs::path> PngFilesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".png") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool AnyTransparent(const TRgba& picture) {
    for (size_t i = 3; i < picture.rgba.size(); i += 4)
        if (picture.rgba[i] != 255) return true;
    return false;
}

// Loads every file as the workbench would and compares it with its reference.
void ExpectReferencePixels(const std::vector<fs::path>& files, const fs::path& references) {
    ASSERT_TRUE(MakeReferences(references, files));
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        TPngImage image;
        image.LoadFile(file.string());
        const TRgba expected = ReadRgba(references / (file.stem().string() + ".rgba"));
        EXPECT_TRUE(SameRgba(RgbaOf(image), expected));
        // Transparency makes a 32-bit picture; an alpha channel does even when opaque.
        const int colour = image.FileFacts().colorType;
        if (AnyTransparent(expected) || colour == 4 || colour == 6) {
            EXPECT_TRUE(image.HasAlpha());
        }
    }
}

TEST_F(PngTest, PngSuiteMatchesPillowAndPypng) {
    REQUIRE_PNG_ORACLES();
    const fs::path suite = fs::path(VARDEL_CORPUS_DIR) / "png" / "pngsuite";
    if (!fs::exists(suite)) GTEST_SKIP() << "no corpus at " << suite;
    const std::vector<fs::path> files = PngFilesIn(suite);
    EXPECT_EQ(files.size(), 60u);
    ExpectReferencePixels(files, dir_ / "references");
}

TEST_F(PngTest, FilesWrittenByPillowAndImageMagickRead) {
    REQUIRE_PNG_ORACLES();
    if (RunCommand("convert -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick not installed";
    const fs::path peers = dir_ / "peers";
    ASSERT_EQ(RunCommand("/usr/bin/python3 " +
                         Quote(fs::path(VARDEL_SOURCE_DIR) / "tests/png/peer_pngs.py") + " " +
                         Quote(peers)),
              0);
    const std::vector<fs::path> files = PngFilesIn(peers);
    EXPECT_EQ(files.size(), 19u);
    ExpectReferencePixels(files, dir_ / "references");
}

TEST_F(PngTest, OurFilesReadInPillowAndPypng) {
    REQUIRE_PNG_ORACLES();
    // A translucent picture, an opaque one, and a bottom-up 24-bit bitmap given to a
    // PNG picture.
    TBitmap bottomUp;
    bottomUp.SetPixelLayout(TPixelLayout::Format24Bit);
    bottomUp.SetSize(31, 3);
    for (int x = 0; x < 31; ++x)
        bottomUp.Surface().WritePixel(x, x % 3, static_cast<TColor>(x * 0x070503));
    std::vector<std::pair<std::string, TRgba>> written;
    auto save = [&](const std::string& name, TPngImage& image) {
        image.SaveFile((dir_ / name).string());
        written.emplace_back(name, RgbaOf(image));
    };
    TPngImage translucent, opaque, converted;
    {
        TMemoryStream in(PngOf(VariedRgba(29, 13, true), true));
        translucent.LoadStream(in);
        TMemoryStream plain(PngOf(VariedRgba(8, 41, false), false));
        opaque.LoadStream(plain);
    }
    converted.Assign(&bottomUp);
    save("translucent.png", translucent);
    save("opaque.png", opaque);
    save("converted.png", converted);

    std::vector<fs::path> files;
    for (const auto& [name, pixels] : written) files.push_back(dir_ / name);
    ASSERT_TRUE(MakeReferences(dir_ / "references", files));
    for (const auto& [name, pixels] : written)
        EXPECT_TRUE(SameRgba(
            ReadRgba(dir_ / "references" / (fs::path(name).stem().string() + ".rgba")), pixels))
            << name;
}

}  // namespace
}  // namespace vardel::test
