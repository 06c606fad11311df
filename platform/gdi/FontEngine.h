// Inside the graphics layer: fonts as installed faces. fontconfig picks the installed
// face nearest to a requested one (so Arial, Times New Roman and Courier New come out
// as their metric-compatible counterparts where those are installed) and FreeType
// reads its outlines, which are then painted straight into the context.
#pragma once

#include <functional>
#include <memory>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

// Measures of a face in its own units.
struct FaceMetrics {
    double unitsPerEm = 1000;
    double ascent = 800, descent = 200;  // the cell above and below the baseline
    double averageWidth = 500;
    double underlinePosition = -100, underlineThickness = 50;  // y up from the baseline
    double strikeoutPosition = 250, strikeoutThickness = 50;
};

class FontFace {
  public:
    virtual ~FontFace() = default;
    virtual const FaceMetrics& Metrics() const = 0;
    // The glyph of a character (0 when the face has none).
    virtual uint32_t GlyphIndex(char32_t c) const = 0;
    // Advance of a glyph in face units.
    virtual double Advance(uint32_t glyph) const = 0;
    // Paints the glyph: face units mapped by `toDevice` (y up in the face), the coverage
    // of each device pixel reported as runs through `blend` (y, x0, x1, coverage), only
    // within `clip`. Glyphs that would land far outside any surface are skipped.
    virtual void Render(uint32_t glyph, const Affine& toDevice, const RECT& clip,
                        const std::function<void(int, int, int, uint8_t)>& blend) const = 0;
};

// The installed face nearest to the font's face name, weight and slant; null when no
// font is installed at all.
std::shared_ptr<const FontFace> MatchFace(const LOGFONT& font);

}  // namespace vardel::gdi
