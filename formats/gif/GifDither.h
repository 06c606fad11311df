// Rendering frames on a palette display: the 216-colour palette (a 6 x 6 x 6 cube
// with steps of 51), the lookup of a colour in it, and Floyd–Steinberg error
// diffusion over serpentine rows.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/gif/GifColorMap.h"
#include "platform/gdi/Gdi.h"

namespace vardel {

inline constexpr int kNetscapeColors = 216;

// Entry i·36 + j·6 + k has red 51·i, green 51·j, blue 51·k.
gdi::HPALETTE MakeNetscapePalette();

// The nearest cube colour of each channel on its own, which for a cube is the
// nearest colour overall.
class TNetscapeColorLookup {
  public:
    static uint8_t Index(int red, int green, int blue) {
        return static_cast<uint8_t>(Level(red) * 36 + Level(green) * 6 + Level(blue));
    }
    // The channel value of a level 0 to 5.
    static int Value(int level) { return level * 51; }
    static int Level(int value) { return (value + 25) / 51; }
};

class TFloydSteinbergDitherer {
  public:
    explicit TFloydSteinbergDitherer(int width);

    // Writes the cube indices of one row of colours. Pixels marked in `skip` get the
    // cube colour nearest to their own, and neither take nor pass on any error
    // (they are transparent, and the mask hides them). Rows run left to right and
    // right to left in turn.
    void DitherRow(const TGIFColor* colors, const uint8_t* skip, uint8_t* indices);

  private:
    int width_;
    bool leftToRight_ = true;
    // Errors times 16 for the current and the next row, three channels per pixel,
    // with one pixel of margin at each end.
    std::vector<int32_t> current_, next_;
};

}  // namespace vardel
