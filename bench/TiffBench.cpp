// Reading large uncompressed TIFF files into a bitmap, beside libtiff in the same run:
// libtiff making a displayable image of the same file (TIFFReadRGBAImageOriented) and
// libtiff reading the raw strips (TIFFReadEncodedStrip: the floor, a memory copy).
#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "formats/tiff/ReadTiff.h"
#include "graphics/Bitmap.h"

using namespace vardel;

namespace {

constexpr uint32_t kWidth = 4000;
constexpr uint32_t kHeight = 3000;

using TiffHandle = std::unique_ptr<TIFF, void (*)(TIFF*)>;

TiffHandle Open(const std::string& path, const char* mode) {
    return {TIFFOpen(path.c_str(), mode), TIFFClose};
}

// An uncompressed file written by libtiff with its default strips (about 8 KiB each).
std::string WriteFile(const std::string& name, uint16_t samples, uint16_t photometric) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vardel-bench-" + std::to_string(::getpid()) + "-" + name))
                                 .string();
    TiffHandle tif = Open(path, "w");
    TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif.get(), 0));
    std::vector<uint8_t> row(size_t{kWidth} * samples);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i * 7 + y * 3);
        TIFFWriteScanline(tif.get(), row.data(), y, 0);
    }
    return path;
}

struct TFiles {
    std::string rgb = WriteFile("rgb.tif", 3, PHOTOMETRIC_RGB);
    std::string grey = WriteFile("grey.tif", 1, PHOTOMETRIC_MINISBLACK);
    ~TFiles() {
        std::filesystem::remove(rgb);
        std::filesystem::remove(grey);
    }
};

const TFiles& Files() {
    static TFiles files;
    return files;
}

void SetBytes(benchmark::State& state, uint64_t bytesPerPixel) {
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * kWidth * kHeight * bytesPerPixel));
}

void Vardel(benchmark::State& state, const std::string& path, uint64_t bytesPerPixel) {
    for (auto _ : state) {
        TBitmap target;
        ReadTiffFile(path, target);
        if (target.Width() != static_cast<int>(kWidth)) state.SkipWithError("not decoded");
        benchmark::DoNotOptimize(target.Image().handle.get());
    }
    SetBytes(state, bytesPerPixel);
}

void LibtiffRgbaImage(benchmark::State& state, const std::string& path, uint64_t bytesPerPixel) {
    for (auto _ : state) {
        TiffHandle tif = Open(path, "r");
        std::vector<uint32_t> raster(size_t{kWidth} * kHeight);
        if (!TIFFReadRGBAImageOriented(tif.get(), kWidth, kHeight, raster.data(),
                                       ORIENTATION_TOPLEFT, 0))
            state.SkipWithError("libtiff failed");
        benchmark::DoNotOptimize(raster.data());
    }
    SetBytes(state, bytesPerPixel);
}

void LibtiffRawStrips(benchmark::State& state, const std::string& path, uint64_t bytesPerPixel) {
    for (auto _ : state) {
        TiffHandle tif = Open(path, "r");
        std::vector<uint8_t> pixels(size_t{kWidth} * kHeight * bytesPerPixel);
        const tmsize_t stripSize = TIFFStripSize(tif.get());
        size_t at = 0;
        for (uint32_t s = 0; s < TIFFNumberOfStrips(tif.get()); ++s) {
            const tmsize_t got = TIFFReadEncodedStrip(tif.get(), s, pixels.data() + at, stripSize);
            if (got < 0) state.SkipWithError("libtiff failed");
            at += static_cast<size_t>(got);
        }
        benchmark::DoNotOptimize(pixels.data());
    }
    SetBytes(state, bytesPerPixel);
}

void BM_Rgb_Vardel(benchmark::State& s) {
    Vardel(s, Files().rgb, 3);
}
void BM_Rgb_LibtiffRgbaImage(benchmark::State& s) {
    LibtiffRgbaImage(s, Files().rgb, 3);
}
void BM_Rgb_LibtiffRawStrips(benchmark::State& s) {
    LibtiffRawStrips(s, Files().rgb, 3);
}
void BM_Grey_Vardel(benchmark::State& s) {
    Vardel(s, Files().grey, 1);
}
void BM_Grey_LibtiffRgbaImage(benchmark::State& s) {
    LibtiffRgbaImage(s, Files().grey, 1);
}
void BM_Grey_LibtiffRawStrips(benchmark::State& s) {
    LibtiffRawStrips(s, Files().grey, 1);
}

}  // namespace

BENCHMARK(BM_Rgb_Vardel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb_LibtiffRgbaImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb_LibtiffRawStrips)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grey_Vardel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grey_LibtiffRgbaImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grey_LibtiffRawStrips)->Unit(benchmark::kMillisecond);
