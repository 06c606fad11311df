// PNG coding through libpng: the one place that decodes and encodes PNG data, for the
// icon images that this layer draws and for the PNG picture kind. Pixels are 8 bits a
// channel in blue-green-red order, with a fourth byte of straight (not premultiplied)
// alpha where asked for. Failures are answers, not exceptions: libpng's reason (or
// ours) is kept for the caller to put into its own message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vardel::gdi {

// Fill `bytes` with up to `count` bytes / take `count` bytes; return how many moved.
// Fewer than asked means the end of the data or a failure of the caller's own, which
// the caller keeps itself: these must not throw.
using PngSource = std::function<size_t(uint8_t* bytes, size_t count)>;
using PngSink = std::function<size_t(const uint8_t* bytes, size_t count)>;

// True when the bytes start with the PNG signature.
bool IsPngSignature(const uint8_t* data, size_t size);

// No side may pass this (libpng's own limit, set explicitly): a header beyond it is
// damage, not a picture.
inline constexpr uint32_t kPngMaxSide = 1000000;

struct PngHeader {
    uint32_t width = 0, height = 0;
    int bitDepth = 0;   // bits a sample: 1, 2, 4, 8 or 16
    int colorType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    bool interlaced = false;
    bool transparency = false;  // an alpha channel or a tRNS chunk
};

// Reads one PNG: the header first, then the pixels. Every colour type, bit depth and
// interlacing reads; 16-bit samples keep their high byte, palettes and grey become
// blue-green-red, a tRNS chunk becomes alpha.
class PngReader {
  public:
    explicit PngReader(PngSource source);
    ~PngReader();
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    // The signature and the chunks up to the first image data. False when they are
    // damaged or describe an image wider or taller than kPngMaxSide.
    bool ReadHeader(PngHeader& header);
    // Every row of the image, top first, at top + step × y: four bytes a pixel when
    // withAlpha (pixels of an opaque file get 255), else three. Then the chunks after
    // the image data, up to IEND. False when anything is damaged or missing.
    bool ReadPixels(uint8_t* top, ptrdiff_t step, bool withAlpha);
    // Why the last call failed.
    const std::string& Failure() const { return failure_; }

    // The decoding state (PngRead.cpp), named here for libpng's callbacks.
    struct State;

  private:
    std::unique_ptr<State> state_;
    std::string failure_;
};

// Rows to write: top + step × y, three (blue, green, red) or four bytes a pixel.
struct PngPixels {
    const uint8_t* top = nullptr;
    ptrdiff_t step = 0;
    uint32_t width = 0, height = 0;
    int bytesPerPixel = 3;
    bool alpha = false;  // write the fourth byte as alpha (RGBA); otherwise RGB
};

// Writes the rows as an 8-bit RGB or RGBA PNG, not interlaced. False (with the
// reason in `failure`) when libpng or the sink fails.
bool WritePng(const PngPixels& pixels, const PngSink& sink, std::string& failure);

}  // namespace vardel::gdi
