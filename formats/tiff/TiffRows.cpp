#include "formats/tiff/TiffRows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/tiff/TiffBitmap.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace vardel {

namespace {

// Rows are read and converted in bands of about this many bytes, small enough to stay
// in the cache between the read and the conversion.
constexpr size_t kBandBytes = 256 * 1024;
constexpr size_t kDisplayBytesPerPixel = 4;

constexpr std::array<uint8_t, 256> kReversed = [] {
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        for (int bit = 0; bit < 8; ++bit)
            if (i & (1 << bit)) table[i] |= static_cast<uint8_t>(0x80 >> bit);
    return table;
}();

#if defined(__x86_64__) || defined(__i386__)
// Four RGB pixels of `step` (3 or 4) bytes at a time, with one byte shuffle each.
__attribute__((target("ssse3"))) uint32_t ShuffleFours(const uint8_t* in, uint32_t step,
                                                       uint32_t count, uint8_t* out) {
    const __m128i order =
        step == 3 ? _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1)
                  : _mm_setr_epi8(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1);
    // With three bytes a pixel the load for the last four reaches four bytes past them.
    const uint32_t end = step == 4 ? count : count >= 6 ? count - 2 : 0;
    uint32_t x = 0;
    for (; x + 4 <= end; x += 4, in += 4 * step, out += 16) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, order));
    }
    return x;
}
#endif

// How many of `count` RGB pixels the byte shuffle of SSSE3 (in every x86 processor of
// the last fifteen years; asked once at run time) converted; the rest are left.
uint32_t ShuffleRgb([[maybe_unused]] const uint8_t* in, [[maybe_unused]] uint32_t step,
                    [[maybe_unused]] uint32_t count, [[maybe_unused]] uint8_t* out) {
#if defined(__x86_64__) || defined(__i386__)
    static const bool available = __builtin_cpu_supports("ssse3");
    if (available && (step == 3 || step == 4)) return ShuffleFours(in, step, count, out);
#endif
    return 0;
}

// `count` pixels from `in` into `out` (4 bytes each).
void ConvertPixels(const TPixelFormat& format, const uint8_t* in, uint32_t count, uint8_t* out) {
    if (format.rgb) {
        const uint32_t step = format.samples;
        const uint32_t done = ShuffleRgb(in, step, count, out);
        in += size_t{done} * step;
        out += size_t{done} * 4;
        for (uint32_t x = done; x < count; ++x, in += step, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 0;
        }
        return;
    }
    const auto& colours = format.colours;
    switch (format.bits) {
        case 8:
            for (uint32_t x = 0; x < count; ++x) std::memcpy(out + 4 * x, &colours[in[x]], 4);
            break;
        case 4:
            for (uint32_t x = 0; x < count; ++x)
                std::memcpy(out + 4 * x, &colours[(in[x / 2] >> (x % 2 ? 0 : 4)) & 0xF], 4);
            break;
        default:  // 1
            for (uint32_t x = 0; x < count; ++x)
                std::memcpy(out + 4 * x, &colours[(in[x / 8] >> (7 - x % 8)) & 1], 4);
            break;
    }
}

void ReverseBits(uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes[i] = kReversed[bytes[i]];
}

// The pixels of a row longer than a band, a piece of whole pixels at a time. Of pixels
// larger than a piece only red, green and blue are read.
bool ReadLongRow(TStripStream& strips, const TPixelFormat& format, uint32_t width,
                 size_t pixelBytes, std::vector<uint8_t>& piece, uint8_t* out) {
    if (format.rgb && format.samples > piece.size()) {
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            if (!strips.Read(piece.data(), 3)) return false;
            if (format.reversedBits) ReverseBits(piece.data(), 3);
            ConvertPixels(format, piece.data(), 1, out);
            strips.Skip(format.samples - 3);
        }
        return true;
    }
    // A unit of `unitBytes` bytes holds `unitPixels` pixels: one RGB pixel, or one byte
    // of 8 / bits indexed pixels.
    const size_t unitBytes = format.rgb ? format.samples : 1;
    const size_t unitPixels = format.rgb ? 1 : 8 / format.bits;
    const size_t pieceBytes = piece.size() / unitBytes * unitBytes;
    for (size_t at = 0; at < pixelBytes; at += pieceBytes) {
        const size_t n = std::min(pieceBytes, pixelBytes - at);
        if (!strips.Read(piece.data(), n)) return false;
        if (format.reversedBits) ReverseBits(piece.data(), n);
        const size_t first = at / unitBytes * unitPixels;
        const size_t count = std::min(width - first, n / unitBytes * unitPixels);
        ConvertPixels(format, piece.data(), static_cast<uint32_t>(count), out + 4 * first);
    }
    return true;
}

}  // namespace

TPixelFormat TPixelFormat::Indexed(uint32_t bits, const TColorTable& table) {
    TPixelFormat format;
    format.bits = bits;
    // The low byte of each level, as the bitmap's colour table takes it.
    for (size_t i = 0; i < 256; ++i)
        format.colours[i] = {static_cast<uint8_t>(table.blue[i]),
                             static_cast<uint8_t>(table.green[i]),
                             static_cast<uint8_t>(table.red[i]), 0};
    return format;
}

TPixelFormat TPixelFormat::Rgb(uint32_t samples) {
    TPixelFormat format;
    format.rgb = true;
    format.samples = samples;
    format.bits = 8 * samples;
    return format;
}

TDecodeResult DecodeRows(TStripStream& strips, size_t rowLength, const TPixelFormat& format,
                         uint32_t width, uint32_t height, TBitmap& target) {
    const size_t pixelBytes = (size_t{width} * format.bits + 7) / 8;
    // Whole rows a band at a time; a row longer than a band gets a band of its own,
    // read a piece of whole pixels at a time.
    const size_t rowBytes = std::max(rowLength, size_t{width} * kDisplayBytesPerPixel);
    const auto bandRows =
        static_cast<uint32_t>(std::clamp<size_t>(kBandBytes / rowBytes, 1, height));
    TDisplayRows display;
    if (!display.Create(width, height, bandRows)) return TDecodeResult::kNoBitmap;

    if (rowLength <= kBandBytes) {
        std::vector<uint8_t> band(bandRows * rowLength);
        for (uint32_t y = 0; y < height; y += bandRows) {
            const uint32_t rows = std::min(bandRows, height - y);
            if (!strips.Read(band.data(), rows * rowLength)) return TDecodeResult::kDataEnded;
            uint8_t* out = display.Band(y);
            for (uint32_t i = 0; i < rows; ++i, out += display.Step()) {
                uint8_t* in = band.data() + i * rowLength;
                if (format.reversedBits) ReverseBits(in, pixelBytes);
                ConvertPixels(format, in, width, out);
            }
            display.Commit(y, rows);
        }
    } else {
        std::vector<uint8_t> piece(kBandBytes);
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* out = display.Band(y);
            if (!ReadLongRow(strips, format, width, pixelBytes, piece, out))
                return TDecodeResult::kDataEnded;
            strips.Skip(rowLength - pixelBytes);
            display.Commit(y, 1);
        }
    }
    display.AttachTo(target);
    return TDecodeResult::kDone;
}

}  // namespace vardel
