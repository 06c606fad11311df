// Reading PNG data through libpng into blue-green-red rows.
#include <cstring>

#include "platform/gdi/Png.h"
#include "platform/gdi/PngGuard.h"

namespace vardel::gdi {

namespace {
constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Ancillary chunks that libpng keeps, and how much memory one chunk may take: ours
// are discarded anyway, so these only bound what a hostile file can make libpng do.
constexpr png_uint_32 kChunkCacheMax = 128;
constexpr png_alloc_size_t kChunkMallocMax = png_alloc_size_t{8} << 20;
}  // namespace

bool IsPngSignature(const uint8_t* data, size_t size) {
    return data && size >= sizeof kSignature &&
           std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

struct PngReader::State {
    explicit State(PngSource s) : source(std::move(s)) {}
    ~State() {
        if (png) png_destroy_read_struct(&png, &info, nullptr);
    }

    PngSource source;
    png::FailureText failure;
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngHeader header;
    bool headerRead = false;
    // After the first failure every call fails the same way.
    bool failed = false;
};

namespace {

// Pulls exactly `count` bytes when the source has them. No exception passes: the
// source's own failures are the caller's to keep.
size_t Pull(const PngSource& source, uint8_t* out, size_t count) noexcept {
    size_t got = 0;
    try {
        while (got < count) {
            const size_t n = source(out + got, count - got);
            if (n == 0) break;
            got += n;
        }
    } catch (...) {
    }
    return got;
}

void ReadData(png_structp png, png_bytep out, size_t count) {
    auto& state = *static_cast<PngReader::State*>(png_get_io_ptr(png));
    if (Pull(state.source, out, count) != count) png_error(png, "the file ends early");
}

}  // namespace

PngReader::PngReader(PngSource source) : state_(std::make_unique<State>(std::move(source))) {
    State& s = *state_;
    s.png = png::CreateReadStruct(s.failure);
    if (s.png) s.info = png_create_info_struct(s.png);
    if (!s.png || !s.info) {
        s.failed = true;
        failure_ = "out of memory";
    }
}

PngReader::~PngReader() = default;

bool PngReader::ReadHeader(PngHeader& header) {
    State& s = *state_;
    if (s.failed) return false;
    auto body = [&s] {
        png_structp png = s.png;
        png_set_read_fn(png, &s, ReadData);
        png_set_user_limits(png, kPngMaxSide, kPngMaxSide);
        png_set_chunk_cache_max(png, kChunkCacheMax);
        png_set_chunk_malloc_max(png, kChunkMallocMax);
        // Only the chunks that make the pixels matter here (IHDR, PLTE, tRNS, IDAT,
        // IEND): colour spaces, text and the like are skipped unparsed.
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_read_info(png, s.info);
        png_uint_32 width = 0, height = 0;
        int depth = 0, color = 0, interlace = 0;
        png_get_IHDR(png, s.info, &width, &height, &depth, &color, &interlace, nullptr, nullptr);
        s.header.width = width;
        s.header.height = height;
        s.header.bitDepth = depth;
        s.header.colorType = color;
        s.header.interlaced = interlace != PNG_INTERLACE_NONE;
        s.header.transparency =
            (color & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, s.info, PNG_INFO_tRNS) != 0;
    };
    if (!png::Guarded(s.png, body)) {
        s.failed = true;
        failure_ = s.failure.text;
        return false;
    }
    s.headerRead = true;
    header = s.header;
    return true;
}

bool PngReader::ReadPixels(uint8_t* top, ptrdiff_t step, bool withAlpha) {
    State& s = *state_;
    if (s.failed) return false;
    if (!s.headerRead) {
        failure_ = "the header was not read";
        return false;
    }
    s.headerRead = false;  // the pixels are read once
    auto body = [&s, top, step, withAlpha] {
        png_structp png = s.png;
        // Palettes, grey of fewer than 8 bits and tRNS become 8-bit channels and alpha.
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_bgr(png);
        if (withAlpha && !s.header.transparency) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        if (!withAlpha && s.header.transparency) png_set_strip_alpha(png);
        const int passes = png_set_interlace_handling(png);
        png_read_update_info(png, s.info);
        const size_t pixelBytes = withAlpha ? 4 : 3;
        if (png_get_rowbytes(png, s.info) != size_t{s.header.width} * pixelBytes)
            png_error(png, "unexpected row layout");
        // Interlaced images: each pass adds its pixels to the rows already there.
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < s.header.height; ++y)
                png_read_row(png, top + step * static_cast<ptrdiff_t>(y), nullptr);
        png_read_end(png, nullptr);
    };
    if (!png::Guarded(s.png, body)) {
        s.failed = true;
        failure_ = s.failure.text;
        return false;
    }
    return true;
}

}  // namespace vardel::gdi
