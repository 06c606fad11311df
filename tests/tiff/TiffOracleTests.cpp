// Files written by independent tools (Pillow, libtiff's tiffcp and tiffset, ImageMagick)
// and libtiff's own test images, decoded by vardel-cli or the reader and by libtiff.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "formats/tiff/TiffMessages.h"
#include "tests/tiff/TiffTestSupport.h"

using namespace vardel;
using namespace vardel::testing;
namespace fs = std::filesystem;

namespace {

struct TDecoded {
    int width = 0;
    int height = 0;
    std::vector<TColor> pixels;
    bool operator==(const TDecoded&) const = default;
};

// libtiff's picture of the file's last directory: its RGBA image, except that pixels
// with samples after red, green and blue come from the rows as stored (the RGBA image
// premultiplies them by their alpha).
std::optional<TDecoded> LibtiffPicture(const std::string& path) {
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
    TDecoded out{static_cast<int>(width), static_cast<int>(height), {}};
    if (photometric == PHOTOMETRIC_RGB && samples > 3) {
        std::vector<uint8_t> row(TIFFScanlineSize(tif.get()));
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tif.get(), row.data(), y, 0) < 0) return std::nullopt;
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* p = &row[x * samples];
                out.pixels.push_back(Rgb(p[0], p[1], p[2]));
            }
        }
        return out;
    }
    std::vector<uint32_t> raster(size_t{width} * height);
    if (!TIFFReadRGBAImageOriented(tif.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return std::nullopt;
    for (uint32_t p : raster) out.pixels.push_back(Rgb(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)));
    return out;
}

struct TRun {
    int status;
    std::string out, err;
};

TRun Cli(const TTempDir& dir, const std::string& arguments) {
    const std::string out = dir.Path("stdout"), err = dir.Path("stderr");
    const int status =
        std::system((std::string(VARDEL_CLI) + " " + arguments + " >" + out + " 2>" + err).c_str());
    const auto o = ReadAll(out), e = ReadAll(err);
    return {
        WIFEXITED(status) ? WEXITSTATUS(status) : -1, {o.begin(), o.end()}, {e.begin(), e.end()}};
}

// The picture of a BMP file, as our own BMP reader (tested against ImageMagick and
// Pillow) reads it.
TDecoded BmpPicture(const std::string& path) {
    TBitmap bitmap;
    bitmap.LoadFile(path);
    return {bitmap.Width(), bitmap.Height(), PixelsOf(bitmap)};
}

std::vector<std::string> FilesIn(const fs::path& dir) {
    std::vector<std::string> out;
    if (fs::is_directory(dir))
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && !entry.path().string().ends_with(".sh"))
                out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

const fs::path kData = fs::path(VARDEL_SOURCE_DIR) / "tests/data/tiff";

}  // namespace

TEST(TiffOracle, ConvertOfFilesFromIndependentWritersGivesLibtiffsPixels) {
    TTempDir dir;
    const auto files = FilesIn(kData);
    ASSERT_GE(files.size(), 24u);
    for (const std::string& path : files) {
        const TRun run = Cli(dir, "convert " + path + " " + dir.Path("out.bmp"));
        if (path.ends_with("tcp-rgb-planes.tif")) {
            // Samples stored plane after plane are refused with the reader's own message.
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err,
                      std::string(tiffmsg::kRgbPlanar) + "\nNo image decoded from " + path + "\n");
            continue;
        }
        ASSERT_EQ(run.status, 0) << path << ": " << run.err;
        EXPECT_EQ(run.err, "") << path;
        EXPECT_TRUE(BmpPicture(dir.Path("out.bmp")) == LibtiffPicture(path)) << path;
    }
}

TEST(TiffOracle, InfoListsTheDirectories) {
    TTempDir dir;
    TRun run = Cli(dir, "info " + (kData / "tcp-two-directories.tif").string());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "{\"kind\":\"tiff\",\"width\":37,\"height\":23,\"directories\":["
              "{\"width\":37,\"height\":23,\"photometric\":2,\"bits\":24,\"strips\":1},"
              "{\"width\":37,\"height\":23,\"photometric\":1,\"bits\":8,\"strips\":1}]}\n");
    // Upper-case extensions are TIFF names too; a bad header is said and fails.
    const std::string bad = dir.Write("BAD.TIFF", {'I', 'I', 42, 0});
    run = Cli(dir, "info " + bad);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "<" + bad + "> is not a valid TIFF file\n");
}

TEST(TiffOracle, LibtiffTestImagesDecodeOrAreRefusedWithTheirMessage) {
    const std::string corpus = CorpusDir();
    if (corpus.empty()) GTEST_SKIP() << "no corpus folder";
    // The uncompressed files of kinds we read; they show what libtiff shows. Every
    // other file is compressed or of a depth we do not read.
    const std::vector<std::string> decoded = {
        "32bpp-None.tiff",
        "custom_dir_EXIF_GPS.tiff",
        "minisblack-1c-8b.tiff",
        "miniswhite-1c-1b.tiff",
        "palette-1c-1b.tiff",
        "palette-1c-4b.tiff",
        "palette-1c-8b.tiff",
        "rgb-3c-8b.tiff",
        "test_two_ifds.tif",
        "test_ifd_loop_to_self.tif",
        "test_ifd_loop_to_first.tif",
        "test_ifd_loop_subifd.tif",
    };
    int compared = 0;
    for (const std::string& path : FilesIn(fs::path(corpus) / "tiff/libtiff/images")) {
        if (!path.ends_with(".tif") && !path.ends_with(".tiff")) continue;
        TMessageLog log;
        TBitmap target;
        ReadTiffFile(path, target);
        const TDecoded ours{target.Width(), target.Height(), PixelsOf(target)};
        const std::string name = fs::path(path).filename();
        if (std::find(decoded.begin(), decoded.end(), name) == decoded.end()) {
            EXPECT_TRUE(target.IsEmpty()) << name;
            for (const std::string& m : log.Texts())
                EXPECT_TRUE(m.starts_with("Cant read compressed") || m.starts_with("Error"))
                    << name << ": " << m;
            continue;
        }
        EXPECT_EQ(log.Texts(), std::vector<std::string>{}) << name;
        EXPECT_TRUE(ours == LibtiffPicture(path)) << name;
        ++compared;
    }
    EXPECT_EQ(compared, static_cast<int>(decoded.size()));
}

TEST(TiffOracle, InfoFailsWhenNothingCouldBeRead) {
    TTempDir dir;
    const std::vector<uint8_t> grey = {10, 20};
    TDirectorySpec compressed = ImageDirectory(2, 1, {8}, 1, grey, 1);
    compressed.entries[3] = {259, kShort, {5}};                          // Compression: LZW
    const TDirectorySpec deep = ImageDirectory(1, 1, {16}, 1, grey, 1);  // passed over
    const std::string message = tiffmsg::CompressedMessage(tiffmsg::kCompressedGrey) + "\n";

    // No directory decodes: the reader's messages, then the failure.
    const std::string none = dir.Write("none.tif", BuildTiff(true, {compressed, deep}));
    TRun run = Cli(dir, "info " + none);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, message + "No image decoded from " + none + "\n");
    // One of them decodes: every directory is listed, the failed ones too.
    const std::string some =
        dir.Write("some.tif", BuildTiff(true, {compressed, ImageDirectory(2, 1, {8}, 1, grey, 1)}));
    run = Cli(dir, "info " + some);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, message);
    EXPECT_EQ(run.out,
              "{\"kind\":\"tiff\",\"width\":2,\"height\":1,\"directories\":["
              "{\"width\":2,\"height\":1,\"photometric\":1,\"bits\":8,\"strips\":1},"
              "{\"width\":2,\"height\":1,\"photometric\":1,\"bits\":8,\"strips\":1}]}\n");

    // Files of every kind that hold no picture fail alike.
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> empty = {
        {"empty.tif", {'I', 'I', 42, 0, 0, 0, 0, 0}},
        {"empty.bmp", {}},
        {"empty.jpg", {}},
        {"no-frames.gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'}},
    };
    for (const auto& [name, bytes] : empty) {
        const std::string path = dir.Write(name, bytes);
        run = Cli(dir, "info " + path);
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_EQ(run.err, "No image decoded from " + path + "\n") << name;
    }
}
