// Files written by independent tools (Pillow, libtiff's tiffcp and tiffset, ImageMagick)
// and libtiff's own test images, decoded by our reader and by libtiff.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "formats/tiff/ReadTiff.h"
#include "formats/tiff/TiffMessages.h"
#include "tests/tiff/TiffTestSupport.h"

using namespace vardel;
using namespace vardel::testing;
namespace fs = std::filesystem;

namespace {

struct TReference {
    int width = 0;
    int height = 0;
    std::vector<TColor> pixels;
};

// libtiff's picture of the last directory of the file. Pixels with samples after red,
// green and blue are taken from the decoded rows as stored, since libtiff's RGBA image
// premultiplies them by their alpha; every other kind comes from its RGBA image.
std::optional<TReference> LibtiffPicture(const std::string& path) {
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
    std::unique_ptr<TIFF, void (*)(TIFF*)> tif(TIFFOpen(path.c_str(), "r"), TIFFClose);
    if (!tif) return std::nullopt;
    TIFFSetDirectory(tif.get(), static_cast<tdir_t>(TIFFNumberOfDirectories(tif.get()) - 1));
    uint32_t width = 0, height = 0;
    uint16_t samples = 1, photometric = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    TReference out{static_cast<int>(width), static_cast<int>(height), {}};
    if (photometric == PHOTOMETRIC_RGB && samples > 3) {
        std::vector<uint8_t> row(TIFFScanlineSize(tif.get()));
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tif.get(), row.data(), y, 0) < 0) return std::nullopt;
            for (uint32_t x = 0; x < width; ++x)
                out.pixels.push_back(
                    Rgb(row[x * samples], row[x * samples + 1], row[x * samples + 2]));
        }
        return out;
    }
    std::vector<uint32_t> raster(size_t{width} * height);
    if (!TIFFReadRGBAImageOriented(tif.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return std::nullopt;
    for (uint32_t p : raster) out.pixels.push_back(Rgb(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)));
    return out;
}

struct TOurs {
    int width = 0;
    int height = 0;
    std::vector<TColor> pixels;
    std::vector<std::string> messages;
};

TOurs OurPicture(const std::string& path) {
    TMessageLog log;
    TBitmap target;
    ReadTiffFile(path, target);
    return {target.Width(), target.Height(), PixelsOf(target), log.Texts()};
}

std::vector<std::string> FilesIn(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".tif" || ext == ".tiff") out.push_back(entry.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Where two pictures first differ, for the failure message.
std::string FirstDifference(const std::vector<TColor>& ours, const TReference& ref) {
    for (size_t i = 0; i < std::min(ours.size(), ref.pixels.size()); ++i) {
        if (ours[i] != ref.pixels[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "pixel (%zu, %zu): ours %06X, libtiff %06X",
                          i % ref.width, i / ref.width, ours[i], ref.pixels[i]);
            return text;
        }
    }
    return "sizes differ";
}

}  // namespace

TEST(TiffOracle, FilesOfIndependentWritersDecodeToLibtiffsPixels) {
    const fs::path dir = fs::path(VARDEL_SOURCE_DIR) / "tests/data/tiff";
    const auto files = FilesIn(dir);
    ASSERT_GE(files.size(), 20u);
    for (const std::string& path : files) {
        const TOurs ours = OurPicture(path);
        if (path.ends_with("tcp-rgb-planes.tif")) {
            // Samples stored plane after plane are refused with the reader's own message.
            EXPECT_EQ(ours.messages, std::vector<std::string>{tiffmsg::kRgbPlanar});
            EXPECT_EQ(ours.width, 0);
            continue;
        }
        const auto reference = LibtiffPicture(path);
        ASSERT_TRUE(reference) << path;
        EXPECT_TRUE(ours.messages.empty()) << path << ": " << ours.messages.front();
        ASSERT_EQ(ours.width, reference->width) << path;
        ASSERT_EQ(ours.height, reference->height) << path;
        EXPECT_TRUE(ours.pixels == reference->pixels)
            << path << ": " << FirstDifference(ours.pixels, *reference);
    }
}

TEST(TiffOracle, LibtiffTestImagesDecodeOrAreRefusedWithTheirMessage) {
    const std::string corpus = CorpusDir();
    if (corpus.empty()) GTEST_SKIP() << "no corpus folder";
    const fs::path dir = fs::path(corpus) / "tiff/libtiff/images";
    const auto files = FilesIn(dir);
    ASSERT_FALSE(files.empty());
    // The uncompressed files of kinds we read; all of them show what libtiff shows.
    const std::vector<std::string> decoded = {
        "32bpp-None.tiff",           "custom_dir_EXIF_GPS.tiff", "minisblack-1c-8b.tiff",
        "miniswhite-1c-1b.tiff",     "palette-1c-1b.tiff",       "palette-1c-4b.tiff",
        "palette-1c-8b.tiff",        "rgb-3c-8b.tiff",           "test_ifd_loop_to_first.tif",
        "test_ifd_loop_to_self.tif", "test_two_ifds.tif",
    };
    int compared = 0;
    for (const std::string& path : files) {
        const std::string name = fs::path(path).filename().string();
        const TOurs ours = OurPicture(path);
        if (std::find(decoded.begin(), decoded.end(), name) == decoded.end()) {
            // Every other file is compressed or of a depth we do not read: either a
            // message or nothing, never a picture.
            for (const std::string& m : ours.messages)
                EXPECT_TRUE(m.starts_with("Cant read compressed") || m.starts_with("Error"))
                    << name << ": " << m;
            continue;
        }
        const auto reference = LibtiffPicture(path);
        ASSERT_TRUE(reference) << name;
        EXPECT_TRUE(ours.messages.empty()) << name << ": " << ours.messages.front();
        ASSERT_EQ(ours.width, reference->width) << name;
        ASSERT_EQ(ours.height, reference->height) << name;
        EXPECT_TRUE(ours.pixels == reference->pixels)
            << name << ": " << FirstDifference(ours.pixels, *reference);
        ++compared;
    }
    EXPECT_EQ(compared, static_cast<int>(decoded.size()));
}
