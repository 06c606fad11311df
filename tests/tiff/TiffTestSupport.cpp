#include "tests/tiff/TiffTestSupport.h"

#include <tiffio.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace vardel::testing {

namespace {
TDialogProviders Logging(std::vector<std::string>* texts) {
    TDialogProviders providers = DialogProviders();
    providers.messageDialog = [texts](const std::string& text, const std::string&) {
        texts->push_back(text);
    };
    return providers;
}
}  // namespace

TMessageLog::TMessageLog() : guard_(Logging(&texts_)) {}

std::vector<TColor> PixelsOf(TBitmap& bitmap) {
    std::vector<TColor> out;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) out.push_back(bitmap.Surface().ReadPixel(x, y));
    return out;
}

std::optional<TPicture> LibtiffPicture(const std::string& path) {
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
    TPicture out{static_cast<int>(width), static_cast<int>(height), {}};
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

std::string CorpusDir() {
    const char* fromEnvironment = std::getenv("VARDEL_CORPUS_DIR");
    const std::string dir =
        fromEnvironment && *fromEnvironment ? fromEnvironment : VARDEL_CORPUS_DIR;
    return std::filesystem::is_directory(dir) ? dir : std::string();
}

}  // namespace vardel::testing
