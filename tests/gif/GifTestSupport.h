// Helpers of the GIF tests: byte builders for hand-made streams, packing of LZW
// codes, loading with our reader, and giflib as the independent oracle.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/gif/GifImage.h"

namespace vardel::giftest {

using Bytes = std::vector<uint8_t>;

// Appends fields to a byte vector.
class TByteBuilder {
  public:
    TByteBuilder& U8(unsigned value) { return Raw({value}); }
    TByteBuilder& U16(unsigned value) { return Raw({value & 0xFF, value >> 8}); }  // little-endian
    TByteBuilder& Text(std::string_view text) { return Append(Bytes(text.begin(), text.end())); }
    TByteBuilder& Raw(std::initializer_list<unsigned> bytes) {
        for (unsigned b : bytes) bytes_.push_back(static_cast<uint8_t>(b));
        return *this;
    }
    TByteBuilder& Append(const Bytes& bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // An image descriptor: separator, left, top, width, height and flags.
    TByteBuilder& Descriptor(unsigned left, unsigned top, unsigned width, unsigned height,
                             unsigned flags = 0, unsigned separator = 0x2C) {
        return U8(separator).U16(left).U16(top).U16(width).U16(height).U8(flags);
    }
    const Bytes& Get() const { return bytes_; }

  private:
    Bytes bytes_;
};

// A code of the LZW stream and the width it is written with.
struct TCode {
    int code;
    int width;
};
// The image data of a frame: the minimum code size byte, the packed codes cut into
// sub-blocks of blockSize bytes, and the zero-length terminator.
Bytes PackCodes(int minCodeSize, const std::vector<TCode>& codes, int blockSize = 255);

// "GIF89a", a screen of width x height with a 4-entry global map.
Bytes ScreenWith4Colors(int width, int height);

struct TLoaded {
    std::unique_ptr<TGIFImage> image;
    std::vector<std::string> warnings;
    std::string error;     // empty when the load succeeded
    int64_t position = 0;  // of the stream after the load
};
TLoaded Load(const Bytes& bytes);
Bytes Save(TGIFImage& image);

struct TOracleFrame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    bool hasControl = false;
    int delay = 0, disposal = 0, transparentIndex = -1;
    Bytes pixels;
};
struct TOracleImage {
    int width = 0, height = 0;
    int loop = -1;
    std::vector<TOracleFrame> frames;
};
// giflib's DGifSlurp of the bytes, or nothing when giflib refuses them.
std::optional<TOracleImage> ReadWithGiflib(const Bytes& bytes);
// Frames with pixels that giflib encodes with EGifSpew from the same indices.
Bytes WriteWithGiflib(int width, int height, int colors,
                      const std::vector<std::pair<int, int>>& frameSizes,
                      const std::vector<Bytes>& framePixels);

// Expects our image to hold what giflib read: size, frames with their positions,
// sizes, flags, delays, disposals, loop count and indices.
void ExpectSameAsGiflib(const TGIFImage& image, const TOracleImage& oracle);

// The project's own GIF files, made by independent encoders.
inline const std::string kDataDir = std::string(VARDEL_SOURCE_DIR) + "/tests/data/gif";
Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);
// The public corpus folder, or empty when it is not there.
std::string CorpusDir();

}  // namespace vardel::giftest
