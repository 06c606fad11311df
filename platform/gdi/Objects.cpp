// Pens, brushes, fonts and the stock objects, and selecting any object.
#include <algorithm>
#include <utility>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

namespace {
HBRUSH Hollow() {
    auto b = std::make_shared<BrushObj>();
    b->hollow = true;
    return b;
}

HFONT StockFont(const char* face, int height) {
    LOGFONT f;
    f.lfFaceName = face;
    f.lfHeight = height;
    return CreateFontIndirect(f);
}
}  // namespace

COLORREF ResolveColor(const DCObj& dc, COLORREF color) {
    // 0x01000000 | index names an entry of the selected palette; 0x02 in the high
    // byte asks for the nearest palette colour, which on a true-colour surface is the
    // colour itself.
    if ((color >> 24) == 1 && dc.palette) {
        const auto& e = dc.palette->entries;
        const uint32_t index = color & 0xFFFF;
        return index < e.size() ? RGB(e[index].peRed, e[index].peGreen, e[index].peBlue) : 0;
    }
    return color & 0xFFFFFF;
}

HPEN CreatePen(int style, int width, COLORREF color) {
    auto p = std::make_shared<PenObj>();
    // Dashes and dots belong to thin pens; wider ones draw solid.
    const int kind = style & PS_STYLE_MASK;
    p->style = (width > 1 && kind >= PS_DASH && kind <= PS_DASHDOTDOT) ? PS_SOLID : kind;
    if (p->style > PS_ALTERNATE || p->style == PS_USERSTYLE) p->style = PS_SOLID;
    p->width = std::max(width, 0);
    p->color = color & 0xFFFFFF;
    return p;
}

HPEN ExtCreatePen(int style, int width, COLORREF color, const std::vector<uint32_t>& dashes) {
    auto p = std::make_shared<PenObj>();
    p->style = style & (PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK | PS_GEOMETRIC);
    if (p->Kind() > PS_ALTERNATE) p->style = (p->style & ~PS_STYLE_MASK) | PS_SOLID;
    // Cosmetic pens are one pixel wide whatever they ask.
    p->width = (style & PS_GEOMETRIC) ? std::max(width, 0) : 0;
    p->color = color & 0xFFFFFF;
    if (p->Kind() == PS_USERSTYLE) {
        double total = 0;
        for (uint32_t d : dashes) p->dashes.push_back(d), total += d;
        // A pattern without length draws solid.
        if (total <= 0 || dashes.size() > 16) p->dashes.clear(), p->style &= ~PS_STYLE_MASK;
    }
    return p;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto b = std::make_shared<BrushObj>();
    b->color = color & 0xFFFFFF;
    return b;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
    auto b = std::make_shared<BrushObj>();
    b->color = color & 0xFFFFFF;
    b->hatch = hatch;
    return b;
}

HBRUSH CreatePatternBrush(const HBITMAP& tile) {
    if (!tile) return nullptr;
    auto b = std::make_shared<BrushObj>();
    b->pattern = tile;
    b->monoPattern = tile->monochrome;
    return b;
}

HBRUSH GetStockBrush(int index) {
    static const HBRUSH brushes[] = {CreateSolidBrush(0xFFFFFF), CreateSolidBrush(0xC0C0C0),
                                     CreateSolidBrush(0x808080), CreateSolidBrush(0x404040),
                                     CreateSolidBrush(0),        Hollow()};
    return index >= WHITE_BRUSH && index <= NULL_BRUSH ? brushes[index] : nullptr;
}

HPEN GetStockPen(int index) {
    static const HPEN pens[] = {CreatePen(PS_SOLID, 0, 0xFFFFFF), CreatePen(PS_SOLID, 0, 0),
                                CreatePen(PS_NULL, 0, 0)};
    return index >= WHITE_PEN && index <= NULL_PEN ? pens[index - WHITE_PEN] : nullptr;
}

HGDIOBJ GetStockObject(int index) {
    static const HFONT fixed = StockFont("Courier New", 16), variable = StockFont("Arial", 16),
                       gui = StockFont("MS Sans Serif", -11);
    if (HBRUSH b = GetStockBrush(index)) return b;
    if (HPEN p = GetStockPen(index)) return p;
    switch (index) {
        case OEM_FIXED_FONT:
        case ANSI_FIXED_FONT:
        case SYSTEM_FIXED_FONT:
            return fixed;
        case ANSI_VAR_FONT:
        case SYSTEM_FONT:
        case DEVICE_DEFAULT_FONT:
            return variable;
        case DEFAULT_GUI_FONT:
            return gui;
        case DEFAULT_PALETTE:
            return GetDefaultPalette();
        default:
            return nullptr;
    }
}

HFONT CreateFontIndirect(const LOGFONT& font) {
    auto f = std::make_shared<FontObj>();
    f->font = font;
    return f;
}

HGDIOBJ SelectObject(const HDC& dc, const HGDIOBJ& object) {
    if (!LiveDC(dc) || !object) return nullptr;
    if (auto pen = std::dynamic_pointer_cast<PenObj>(object)) return SelectObject(dc, pen);
    if (auto brush = std::dynamic_pointer_cast<BrushObj>(object)) return SelectObject(dc, brush);
    if (auto font = std::dynamic_pointer_cast<FontObj>(object)) return SelectObject(dc, font);
    if (auto bitmap = std::dynamic_pointer_cast<BitmapObj>(object)) return SelectObject(dc, bitmap);
    if (auto palette = std::dynamic_pointer_cast<PaletteObj>(object))
        return SelectPalette(dc, palette, false);
    if (auto region = std::dynamic_pointer_cast<RegionObj>(object)) SelectClipRgn(dc, region);
    return nullptr;
}

}  // namespace vardel::gdi
