// Writing blue-green-red rows as a PNG through libpng.
#include "platform/gdi/Png.h"
#include "platform/gdi/PngGuard.h"

namespace vardel::gdi {

namespace {

// zlib's level and libpng's row filters. Level 3 writes a 12-megapixel photograph
// about two and a half times as fast as the usual level 6, in a file of about the
// same size (a screenshot comes out some 7 % larger); each row takes the filter that
// suits it best.
constexpr int kCompressionLevel = 3;
constexpr int kFilters = PNG_ALL_FILTERS;

struct WriteState {
    const PngSink* sink;
    png::FailureText failure;
};

size_t Push(const PngSink& sink, const uint8_t* bytes, size_t count) noexcept {
    try {
        return sink(bytes, count);
    } catch (...) {
        return 0;
    }
}

void WriteData(png_structp png, png_bytep bytes, size_t count) {
    auto& state = *static_cast<WriteState*>(png_get_io_ptr(png));
    if (Push(*state.sink, bytes, count) != count) png_error(png, "the data could not be written");
}

void Flush(png_structp) {}

}  // namespace

bool WritePng(const PngPixels& pixels, const PngSink& sink, std::string& failure) {
    WriteState state{&sink, {}};
    png_structp png = png::CreateWriteStruct(state.failure);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        if (png) png_destroy_write_struct(&png, &info);
        failure = "out of memory";
        return false;
    }
    auto body = [png, info, &pixels, &state] {
        png_set_write_fn(png, &state, WriteData, Flush);
        png_set_IHDR(png, info, pixels.width, pixels.height, 8,
                     pixels.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, kCompressionLevel);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, kFilters);
        png_write_info(png, info);
        png_set_bgr(png);
        // Four bytes a pixel without alpha: the fourth is left out.
        if (pixels.bytesPerPixel == 4 && !pixels.alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
        for (uint32_t y = 0; y < pixels.height; ++y)
            png_write_row(png, pixels.top + pixels.step * static_cast<ptrdiff_t>(y));
        png_write_end(png, nullptr);
    };
    const bool written = png::Guarded(png, body);
    if (!written) failure = state.failure.text;
    png_destroy_write_struct(&png, &info);
    return written;
}

}  // namespace vardel::gdi
