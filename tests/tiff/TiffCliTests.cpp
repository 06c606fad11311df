// vardel-cli info and convert on TIFF files: the BMP written must hold libtiff's pixels.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>
#include <filesystem>

#include "formats/tiff/TiffMessages.h"
#include "tests/tiff/TiffTestSupport.h"

using namespace vardel;
using namespace vardel::testing;
namespace fs = std::filesystem;

namespace {

struct TRun {
    int status;
    std::string out;
    std::string err;
};

TRun Cli(const TTempDir& dir, const std::string& arguments) {
    const std::string out = dir.Path("stdout.txt"), err = dir.Path("stderr.txt");
    const int status =
        std::system((std::string(VARDEL_CLI) + " " + arguments + " >" + out + " 2>" + err).c_str());
    const auto o = ReadAll(out), e = ReadAll(err);
    return {
        WIFEXITED(status) ? WEXITSTATUS(status) : -1, {o.begin(), o.end()}, {e.begin(), e.end()}};
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}

// The pixels of an uncompressed 24- or 32-bit BMP file, rows from the top.
std::vector<TColor> BmpPixels(const std::vector<uint8_t>& b, int& width, int& height) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return {};
    const uint32_t offset = Le32(b, 10);
    width = static_cast<int32_t>(Le32(b, 18));
    const auto rawHeight = static_cast<int32_t>(Le32(b, 22));
    height = std::abs(rawHeight);
    const int bits = b[28] | b[29] << 8;
    if (bits != 24 && bits != 32) return {};
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    std::vector<TColor> out;
    for (int y = 0; y < height; ++y) {
        const size_t row = rawHeight < 0 ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const size_t at = offset + row * stride + size_t(x) * bits / 8;
            if (at + 3 > b.size()) return {};
            out.push_back(Rgb(b[at + 2], b[at + 1], b[at]));
        }
    }
    return out;
}

// libtiff's RGBA image of the last directory (files without extra samples only).
std::vector<TColor> LibtiffRgba(const std::string& path) {
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return {};
    TIFFSetDirectory(tif, static_cast<tdir_t>(TIFFNumberOfDirectories(tif) - 1));
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    std::vector<uint32_t> raster(size_t{w} * h);
    std::vector<TColor> out;
    if (TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0))
        for (uint32_t p : raster) out.push_back(Rgb(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p)));
    TIFFClose(tif);
    return out;
}

}  // namespace

TEST(TiffCli, ConvertWritesLibtiffsPixelsAsBmp) {
    TTempDir dir;
    int converted = 0;
    for (const auto& entry :
         fs::directory_iterator(fs::path(VARDEL_SOURCE_DIR) / "tests/data/tiff")) {
        const std::string path = entry.path().string();
        const std::string name = entry.path().filename().string();
        // Alpha files are compared sample by sample in the oracle test; planes are refused.
        if (!name.ends_with(".tif") || name.find("rgba") != std::string::npos ||
            name.find("planes") != std::string::npos)
            continue;
        const std::string bmp = dir.Path(name + ".bmp");
        const TRun run = Cli(dir, "convert " + path + " " + bmp);
        ASSERT_EQ(run.status, 0) << name << ": " << run.err;
        int width = 0, height = 0;
        const auto ours = BmpPixels(ReadAll(bmp), width, height);
        EXPECT_FALSE(ours.empty()) << name;
        EXPECT_TRUE(ours == LibtiffRgba(path)) << name;
        ++converted;
    }
    EXPECT_GE(converted, 18);
}

TEST(TiffCli, InfoListsTheDirectoriesAndFailuresGoToStandardError) {
    TTempDir dir;
    const std::string data = std::string(VARDEL_SOURCE_DIR) + "/tests/data/tiff/";
    TRun run = Cli(dir, "info " + data + "tcp-two-directories.tif");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "{\"kind\":\"tiff\",\"width\":37,\"height\":23,\"directories\":["
              "{\"width\":37,\"height\":23,\"photometric\":2,\"bits\":24,\"strips\":1},"
              "{\"width\":37,\"height\":23,\"photometric\":1,\"bits\":8,\"strips\":1}]}\n");

    // Upper-case extensions are TIFF names too; a bad header says so and fails.
    const std::string bad = dir.Write("BAD.TIFF", {'I', 'I', 42, 0});
    run = Cli(dir, "info " + bad);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "<" + bad + "> is not a valid TIFF file\n");

    run = Cli(dir, "convert " + data + "tcp-rgb-planes.tif " + dir.Path("x.bmp"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string(tiffmsg::kRgbPlanar) + "\nNo image decoded from " + data +
                           "tcp-rgb-planes.tif\n");
    EXPECT_FALSE(fs::exists(dir.Path("x.bmp")));
}
