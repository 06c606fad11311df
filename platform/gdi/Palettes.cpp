// Logical palettes, the standard palettes of the display and nearest-colour search.
#include <algorithm>
#include <utility>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

namespace {
// The sixteen standard colours in their usual order.
constexpr PALETTEENTRY kStandard16[16] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},   {0, 128, 0, 0},   {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0}, {0, 128, 128, 0}, {128, 128, 128, 0},
    {192, 192, 192, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},   {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0}};

// The display's twenty static colours: ten at the start, ten at the end.
constexpr PALETTEENTRY kStaticLow[10] = {
    {0, 0, 0, 0},     {128, 0, 0, 0},   {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0}};
constexpr PALETTEENTRY kStaticHigh[10] = {
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},
    {0, 255, 0, 0},     {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},
    {0, 255, 255, 0},   {255, 255, 255, 0}};

template <typename Entry>
uint32_t Nearest(const std::vector<Entry>& table, COLORREF color,
                 void (*rgb)(const Entry&, int&, int&, int&)) {
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    uint32_t best = 0;
    int bestDistance = INT32_MAX;
    for (size_t i = 0; i < table.size(); ++i) {
        int er, eg, eb;
        rgb(table[i], er, eg, eb);
        const int d = (er - r) * (er - r) + (eg - g) * (eg - g) + (eb - b) * (eb - b);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<uint32_t>(i);
            if (d == 0) break;
        }
    }
    return best;
}

HPALETTE StockPalette(std::vector<PALETTEENTRY> entries) {
    auto p = std::make_shared<PaletteObj>();
    p->entries = std::move(entries);
    p->isStock = true;
    return p;
}
}  // namespace

uint32_t NearestIndex(const std::vector<RGBQUAD>& table, COLORREF color) {
    return Nearest<RGBQUAD>(table, color, [](const RGBQUAD& q, int& r, int& g, int& b) {
        r = q.rgbRed;
        g = q.rgbGreen;
        b = q.rgbBlue;
    });
}

uint32_t NearestIndex(const std::vector<PALETTEENTRY>& table, COLORREF color) {
    return Nearest<PALETTEENTRY>(table, color, [](const PALETTEENTRY& e, int& r, int& g, int& b) {
        r = e.peRed;
        g = e.peGreen;
        b = e.peBlue;
    });
}

// 256 entries: the static colours at both ends, a 6 × 6 × 6 colour cube and greys.
const std::vector<PALETTEENTRY>& HalftoneEntries() {
    static const std::vector<PALETTEENTRY> entries = [] {
        std::vector<PALETTEENTRY> e(kStaticLow, kStaticLow + 10);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    e.push_back({static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                                 static_cast<uint8_t>(b * 51), 0});
        // Twenty greys between the cube's steps.
        for (int i = 1; e.size() < 246; ++i) {
            const uint8_t v = static_cast<uint8_t>(i * 12);
            e.push_back({v, v, v, 0});
        }
        e.insert(e.end(), kStaticHigh, kStaticHigh + 10);
        return e;
    }();
    return entries;
}

std::vector<RGBQUAD> ToQuads(const std::vector<PALETTEENTRY>& entries) {
    std::vector<RGBQUAD> q(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        q[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    return q;
}

HPALETTE CreatePalette(const LOGPALETTE& palette) {
    if (palette.palVersion != 0x300 || palette.palPalEntry.empty() ||
        palette.palPalEntry.size() > 65535) {
        SetFailure(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto p = std::make_shared<PaletteObj>();
    p->entries = palette.palPalEntry;
    return p;
}

HPALETTE CreateHalftonePalette(const HDC&) {
    auto p = std::make_shared<PaletteObj>();
    p->entries = HalftoneEntries();
    return p;
}

HPALETTE GetDefaultPalette() {
    static const HPALETTE p = [] {
        std::vector<PALETTEENTRY> e(kStaticLow, kStaticLow + 10);
        e.insert(e.end(), kStaticHigh, kStaticHigh + 10);
        return StockPalette(std::move(e));
    }();
    return p;
}

HPALETTE GetSystemPalette16() {
    static const HPALETTE p =
        StockPalette(std::vector<PALETTEENTRY>(kStandard16, kStandard16 + 16));
    return p;
}

HPALETTE SelectPalette(const HDC& dc, const HPALETTE& palette, bool) {
    if (!dc || !dc->alive || !palette) return nullptr;
    return std::exchange(dc->palette, palette);
}

unsigned RealizePalette(const HDC& dc) {
    if (!dc || !dc->alive || !dc->palette) return 0;
    // Only a palette display maps logical colours into its hardware table.
    return DisplayBitsPerPixel() <= 8 ? static_cast<unsigned>(dc->palette->entries.size()) : 0;
}

unsigned GetPaletteEntries(const HPALETTE& palette, unsigned start, unsigned count,
                           PALETTEENTRY* entries) {
    if (!palette) return 0;
    const auto& e = palette->entries;
    if (!entries) return static_cast<unsigned>(e.size());
    if (start >= e.size()) return 0;
    const unsigned n = std::min<unsigned>(count, static_cast<unsigned>(e.size()) - start);
    std::copy_n(e.begin() + start, n, entries);
    return n;
}

unsigned GetNearestPaletteIndex(const HPALETTE& palette, COLORREF color) {
    if (!palette || palette->entries.empty()) return CLR_INVALID;
    return NearestIndex(palette->entries, color);
}

int GetObject(const HPALETTE& palette) {
    return palette ? static_cast<int>(palette->entries.size()) : 0;
}

}  // namespace vardel::gdi
