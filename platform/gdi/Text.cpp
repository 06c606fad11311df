// Text: laying out a string along its baseline (alignment, character spacing,
// escapement, given advances), its background, and the glyphs painted with
// anti-aliased edges in the text colour.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Shapes.h"

namespace vardel::gdi {

namespace {
// How long a string may be: longer ones are cut here.
constexpr size_t kMaxCharacters = 1 << 16;

// A font placed in logical space: scale from face units, the baseline direction `u`
// and the downward direction `v`, both unit vectors.
struct Placement {
    std::shared_ptr<const FontFace> face;
    double scale = 1;       // logical units per face unit, vertically
    double widthScale = 1;  // horizontal stretch asked for by the font's width
    PointD u{1, 0}, v{0, 1};
    double ascent = 0, descent = 0;  // logical units
};

Placement Place(const DCObj& dc) {
    Placement p;
    const LOGFONT& font = dc.font ? dc.font->font : LOGFONT{};
    p.face = MatchFace(font);
    if (!p.face) return p;
    const FaceMetrics& m = p.face->Metrics();
    const double cell = m.ascent + m.descent;
    double height = std::min(std::fabs(double(font.lfHeight)), 1e7);
    if (font.lfHeight > 0) {
        p.scale = height / cell;
    } else if (font.lfHeight < 0) {
        p.scale = height / m.unitsPerEm;
    } else {
        p.scale = 16 / cell;  // the default face height
    }
    if (font.lfWidth > 0 && m.averageWidth > 0)
        p.widthScale = std::min(font.lfWidth / (m.averageWidth * p.scale), 100.0);
    const double angle = (font.lfEscapement % 3600) / 10.0 * std::numbers::pi / 180;
    // Counter-clockwise as seen on the device: a mapping that mirrors y turns it back.
    const double flip = dc.toDevice.Determinant() < 0 ? -1 : 1;
    p.u = {std::cos(angle), -std::sin(angle) * flip};
    p.v = {std::sin(angle), std::cos(angle) * flip};
    p.ascent = m.ascent * p.scale;
    p.descent = m.descent * p.scale;
    return p;
}

std::u32string Decode(std::u16string_view text, bool glyphIndices) {
    std::u32string out;
    for (size_t i = 0; i < text.size() && out.size() < kMaxCharacters; ++i) {
        char32_t c = text[i];
        if (!glyphIndices && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        out.push_back(c);
    }
    return out;
}

PointD Along(PointD o, const Placement& p, double a, double b) {
    return {o.x + a * p.u.x + b * p.v.x, o.y + a * p.u.y + b * p.v.y};
}

Figure Box(const DCObj& dc, const Placement& p, PointD o, double from, double to, double top,
           double bottom) {
    return {
        {dc.toDevice.Apply(Along(o, p, from, top)), dc.toDevice.Apply(Along(o, p, to, top)),
         dc.toDevice.Apply(Along(o, p, to, bottom)), dc.toDevice.Apply(Along(o, p, from, bottom))},
        true};
}

struct Layout {
    std::vector<uint32_t> glyphs;
    std::vector<double> advances;  // logical units along the baseline
    double width = 0;
};

Layout Lay(const DCObj& dc, const Placement& p, std::u16string_view text, uint32_t options,
           const int* dx) {
    Layout l;
    const std::u32string chars = Decode(text, options & ETO_GLYPH_INDEX);
    for (size_t i = 0; i < chars.size(); ++i) {
        const uint32_t g = (options & ETO_GLYPH_INDEX) ? chars[i] : p.face->GlyphIndex(chars[i]);
        double advance;
        if (dx) {
            advance = dx[(options & ETO_PDY) ? 2 * i : i];
        } else {
            advance = p.face->Advance(g) * p.scale * p.widthScale + dc.charExtra;
        }
        l.glyphs.push_back(g);
        l.advances.push_back(advance);
        l.width += advance;
    }
    return l;
}
}  // namespace

bool ExtTextOutW(const HDC& handle, int x, int y, uint32_t options, const RECT* rect,
                 std::u16string_view text, const int* dx) {
    DCObj* dc = LiveDC(handle);
    if (!dc) return false;
    if (!dc->bitmap || Recording(*dc)) return true;
    if ((options & ETO_OPAQUE) && rect) {
        const PointD a = ToDevice(*dc, {rect->left, rect->top}),
                     b = ToDevice(*dc, {rect->right, rect->bottom});
        const PointD c = ToDevice(*dc, {rect->right, rect->top}),
                     d = ToDevice(*dc, {rect->left, rect->bottom});
        Paint back = SolidPaint(*dc, dc->bkColor);
        back.rop2 = R2_COPYPEN;
        FillFigures(*dc, {{{a, c, b, d}, true}}, false, back);
    }
    const Placement p = Place(*dc);
    if (!p.face || text.empty()) return true;
    const Layout l = Lay(*dc, p, text, options, dx);
    // The reference point, then where the baseline starts.
    const bool fromCurrent = dc->textAlign & TA_UPDATECP;
    PointD o = fromCurrent ? PointD{double(dc->penPos.x), double(dc->penPos.y)}
                           : PointD{double(x), double(y)};
    const int horizontal = dc->textAlign & TA_CENTER, vertical = dc->textAlign & TA_BASELINE;
    const double shift = horizontal == TA_CENTER  ? -l.width / 2
                         : horizontal == TA_RIGHT ? -l.width
                                                  : 0;
    const double drop = vertical == TA_BASELINE ? 0 : vertical == TA_BOTTOM ? -p.descent : p.ascent;
    o = Along(o, p, shift, drop);
    if (fromCurrent) {
        // The current position moves past the text (back to its start when right-aligned).
        const PointD end = Along(o, p, horizontal == TA_RIGHT ? 0 : l.width, -drop);
        dc->penPos = {ClampToInt(end.x), ClampToInt(end.y)};
    }
    // Clipped text keeps to the rectangle as well.
    const std::optional<RECT> savedClip = dc->clip;
    const std::shared_ptr<const Region> savedComplex = dc->complexClip;
    if ((options & ETO_CLIPPED) && rect) {
        Region limit = Region(RECT{0, 0, 0, 0});
        const PointD a = ToDevice(*dc, {rect->left, rect->top}),
                     b = ToDevice(*dc, {rect->right, rect->bottom});
        if (std::fabs(a.x) < 1e9 && std::fabs(a.y) < 1e9 && std::fabs(b.x) < 1e9 &&
            std::fabs(b.y) < 1e9)
            limit = Region(RECT{ClampToInt(std::min(a.x, b.x)), ClampToInt(std::min(a.y, b.y)),
                                ClampToInt(std::max(a.x, b.x)), ClampToInt(std::max(a.y, b.y))});
        const Region current = savedComplex ? *savedComplex
                               : savedClip
                                   ? Region(*savedClip)
                                   : Region(RECT{0, 0, dc->bitmap->width, dc->bitmap->height});
        const Region both = Region::Combine(current, limit, Region::Op::And);
        dc->clip = both.Empty() ? RECT{0, 0, 0, 0} : both.Bounds();
        dc->complexClip = both.Rects().size() > 1 ? std::make_shared<Region>(both) : nullptr;
    }
    if (dc->bkMode == OPAQUE && !(options & ETO_OPAQUE)) {
        Paint back = SolidPaint(*dc, dc->bkColor);
        back.rop2 = R2_COPYPEN;
        FillFigures(*dc, {Box(*dc, p, o, 0, l.width, -p.ascent, p.descent)}, false, back);
    }
    const COLORREF color = ResolveColor(*dc, dc->textColor);
    const RECT bounds = DrawableBounds(*dc);
    auto blend = [&](int row, int x0, int x1, uint8_t coverage) {
        std::vector<uint8_t> cover(static_cast<size_t>(x1 - x0), coverage);
        BlendRun(*dc, row, x0, x1, cover.data(), color);
    };
    double pen = 0;
    for (size_t i = 0; i < l.glyphs.size(); ++i) {
        const PointD at = Along(o, p, pen, 0);
        // Face units (y up) to logical, then to the device.
        const Affine glyph{p.scale * p.widthScale * p.u.x,
                           p.scale * p.widthScale * p.u.y,
                           -p.scale * p.v.x,
                           -p.scale * p.v.y,
                           at.x,
                           at.y};
        p.face->Render(l.glyphs[i], glyph.Then(dc->toDevice), bounds, blend);
        pen += l.advances[i];
    }
    const LOGFONT& font = dc->font ? dc->font->font : LOGFONT{};
    const FaceMetrics& m = p.face->Metrics();
    Paint ink = SolidPaint(*dc, color);
    ink.rop2 = R2_COPYPEN;
    auto line = [&](double position, double thickness) {
        const double t = std::max(thickness * p.scale, 1 / std::max(dc->toDevice.Scale(), 1e-9));
        const double top = -position * p.scale - t / 2;
        FillFigures(*dc, {Box(*dc, p, o, 0, l.width, top, top + t)}, false, ink);
    };
    if (font.lfUnderline) line(m.underlinePosition, m.underlineThickness);
    if (font.lfStrikeOut) line(m.strikeoutPosition, m.strikeoutThickness);
    dc->clip = savedClip;
    dc->complexClip = savedComplex;
    return true;
}

bool TextOutW(const HDC& dc, int x, int y, std::u16string_view text) {
    return ExtTextOutW(dc, x, y, 0, nullptr, text, nullptr);
}

bool GetTextExtentPoint32W(const HDC& handle, std::u16string_view text, SIZE* size) {
    DCObj* dc = LiveDC(handle);
    if (!dc || !size) return false;
    const Placement p = Place(*dc);
    if (!p.face) {
        *size = {0, 0};
        return true;
    }
    const Layout l = Lay(*dc, p, text, 0, nullptr);
    *size = {ClampToInt(l.width), ClampToInt(p.ascent + p.descent)};
    return true;
}

}  // namespace vardel::gdi
