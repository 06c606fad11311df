#include "formats/gif/GifDither.h"

#include <algorithm>

namespace vardel {

gdi::HPALETTE MakeNetscapePalette() {
    gdi::LOGPALETTE palette;
    palette.palPalEntry.reserve(kNetscapeColors);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.palPalEntry.push_back({static_cast<uint8_t>(TNetscapeColorLookup::Value(r)),
                                               static_cast<uint8_t>(TNetscapeColorLookup::Value(g)),
                                               static_cast<uint8_t>(TNetscapeColorLookup::Value(b)),
                                               0});
    return gdi::CreatePalette(palette);
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width)
    : width_(width),
      current_(static_cast<size_t>(width + 2) * 3, 0),
      next_(static_cast<size_t>(width + 2) * 3, 0) {}

namespace {

// value + error / 16, rounded to the nearest and kept to a channel's range.
int WithError(int value, int32_t error16) {
    const int32_t adjusted = value + (error16 >= 0 ? (error16 + 8) / 16 : -((-error16 + 8) / 16));
    return std::clamp<int32_t>(adjusted, 0, 255);
}

}  // namespace

void TFloydSteinbergDitherer::DitherRow(const TGIFColor* colors, const uint8_t* skip,
                                        uint8_t* indices) {
    const int step = leftToRight_ ? 1 : -1;
    const int first = leftToRight_ ? 0 : width_ - 1;
    std::fill(next_.begin(), next_.end(), 0);
    for (int n = 0, x = first; n < width_; ++n, x += step) {
        const TGIFColor& c = colors[x];
        if (skip[x]) {
            indices[x] = TNetscapeColorLookup::Index(c.red, c.green, c.blue);
            continue;
        }
        // Slot of pixel x in the error rows (one pixel of margin on the left).
        const size_t at = static_cast<size_t>(x + 1) * 3;
        const int value[3] = {WithError(c.red, current_[at]), WithError(c.green, current_[at + 1]),
                              WithError(c.blue, current_[at + 2])};
        int levels[3];
        for (int ch = 0; ch < 3; ++ch) levels[ch] = TNetscapeColorLookup::Level(value[ch]);
        indices[x] = static_cast<uint8_t>(levels[0] * 36 + levels[1] * 6 + levels[2]);
        // The error goes 7/16 ahead, and 3/16 behind, 5/16 below and 1/16 ahead on
        // the next row ("ahead" in the direction of this row).
        const size_t ahead = at + 3 * step, behind = at - 3 * step;
        for (int ch = 0; ch < 3; ++ch) {
            const int32_t error = value[ch] - TNetscapeColorLookup::Value(levels[ch]);
            current_[ahead + ch] += 7 * error;
            next_[behind + ch] += 3 * error;
            next_[at + ch] += 5 * error;
            next_[ahead + ch] += error;
        }
    }
    std::swap(current_, next_);
    leftToRight_ = !leftToRight_;
}

}  // namespace vardel
