// The walk that every pixel command of the workbench makes: rows outer and columns
// inner, each position's colour made from what the command reads around it and written
// before the next position is read.
//
// Pixel by pixel, every read is a ReadPixel and every write a WritePixel that tells the
// whole change chain (surface → bitmap → picture → view). When nobody outside the
// program hears those changes and the rows are of 24 or 32 bits, the walk runs straight
// on the rows instead and the change is told once, at the end: the same pixels, the
// same order (a filter in place still reads the neighbours it already wrote), the same
// 0xFFFFFFFF read and lost write outside the bitmap, the same copy on write and the same
// refusals before anything changes. Only the number of the program's own notifications
// differs.
#pragma once

#include <algorithm>
#include <cstdint>

#include "graphics/Canvas.h"
#include "graphics/Image.h"

namespace vardel {

constexpr int RedOf(TColor c) {
    return c & 0xFF;
}
constexpr int GreenOf(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr int BlueOf(TColor c) {
    return (c >> 16) & 0xFF;
}
constexpr TColor Grey(int v) {
    return v * 0x10101;
}

// Makes every walk go pixel by pixel, as on a surface that somebody watches; for the
// tests that compare the two ways.
inline bool WalkPixelByPixel = false;

// The positions [left, right) × [top, bottom) of a walk.
struct TWalkArea {
    int left, top, right, bottom;
    bool Empty() const { return right <= left || bottom <= top; }
};

namespace walk {

// The format of rows of blue, green, red bytes, 3 or 4 to a pixel; a write leaves a
// fourth byte as it was.
template <int Bytes>
struct TBgrPixels {
    static constexpr int kBytes = Bytes;
    static TColor Read(const uint8_t* p) { return p[2] | (p[1] << 8) | (p[0] << 16); }
    static void Write(uint8_t* p, uint32_t color) {
        p[0] = static_cast<uint8_t>(color >> 16);
        p[1] = static_cast<uint8_t>(color >> 8);
        p[2] = static_cast<uint8_t>(color);
    }
};
using TBgr24 = TBgrPixels<3>;
using TBgrx32 = TBgrPixels<4>;

// A surface read pixel by pixel.
struct TSurfaceReader {
    TCanvas& surface;
    TColor operator()(int x, int y) const { return surface.ReadPixel(x, y); }
};

// Where logical (0, 0) would be stored.
template <class Format>
uint8_t* Origin(const gdi::PixelWindow& rows) {
    return rows.corner - rows.step * rows.origin.y - Format::kBytes * rows.origin.x;
}

// Rows read straight. `Inside` readers are used only where every position read lies
// on the rows; the others answer 0xFFFFFFFF outside them, as ReadPixel does. They hold
// copies, which the writes through bytes cannot be taken to change.
template <class Format, bool Inside>
struct TRowReader {
    gdi::PixelWindow rows;
    const uint8_t* origin = Origin<Format>(rows);
    TColor operator()(int x, int y) const {
        if constexpr (Inside) {
            return Format::Read(origin + rows.step * y + Format::kBytes * x);
        } else {
            const uint8_t* p = rows.At(x, y);
            return p ? Format::Read(p) : static_cast<TColor>(gdi::CLR_INVALID);
        }
    }
};

// The positions of `rows` in logical coordinates.
inline TWalkArea Extent(const gdi::PixelWindow& rows) {
    const int left = -rows.origin.x, top = -rows.origin.y;
    return {left, top, left + static_cast<int>(rows.width), top + static_cast<int>(rows.height)};
}

// The row loop of one pair of layouts. Positions whose writes would be lost are
// skipped: reading has no effect. Where every position within `reach` of (x, y) lies
// on the source rows, the reads are unchecked.
template <class From, class To, class Step>
void Rows(const gdi::PixelWindow& source, const gdi::PixelWindow& target, TWalkArea area, int reach,
          Step step) {
    const TWalkArea to = Extent(target), from = Extent(source);
    area = {std::max(area.left, to.left), std::max(area.top, to.top),
            std::min(area.right, to.right), std::min(area.bottom, to.bottom)};
    if (area.Empty()) return;
    const TRowReader<From, true> inside{source};
    const TRowReader<From, false> checked{source};
    uint8_t* const origin = Origin<To>(target);
    const ptrdiff_t stride = target.step;
    for (int y = area.top; y < area.bottom; ++y) {
        uint8_t* const row = origin + stride * y;
        auto put = [&](const auto& read, int x) {
            To::Write(row + To::kBytes * x, ResolveColor(step(read, x, y)));
        };
        // Columns [left, in) and [out, right) are read checked, [in, out) unchecked.
        int in = area.left, out = area.left;
        if (y - reach >= from.top && y + reach < from.bottom) {
            in = std::clamp(from.left + reach, area.left, area.right);
            out = std::clamp(from.right - reach, in, area.right);
        }
        for (int x = area.left; x < in; ++x) put(checked, x);
        for (int x = in; x < out; ++x) put(inside, x);
        for (int x = out; x < area.right; ++x) put(checked, x);
    }
}

// Runs `run` with the format of the rows (24 or 32 bits).
template <class Run>
void WithLayout(const gdi::PixelWindow& rows, Run run) {
    if (rows.bytesPerPixel == 3) {
        run(TBgr24{});
    } else {
        run(TBgrx32{});
    }
}

}  // namespace walk

// Walks `area`: at each position, `step(read, x, y)` gives the colour written to
// `target`, reading `source` (the same surface for a change in place) through `read`
// at positions up to `reach` away. `batched` says that nobody outside the program hears
// the target's changes; the walk then runs straight on the rows when both surfaces are
// of 24 or 32 bits. Returns whether it did.
template <class Step>
bool WalkSurfaces(TCanvas& source, TCanvas& target, TWalkArea area, int reach, bool batched,
                  Step step) {
    if (area.Empty()) return false;
    gdi::PixelWindow from, to;
    // Taking the rows refuses what the first read or write would refuse, before
    // anything changes.
    if (batched && !WalkPixelByPixel && target.PixelRows(to) && source.PixelRows(from)) {
        // The copy on write comes first: it may give the target (and, for an image they
        // share, the source) new rows.
        target.Changing();
        if (target.PixelRows(to) && source.PixelRows(from)) {
            walk::WithLayout(from, [&](auto f) {
                walk::WithLayout(to, [&](auto t) {
                    walk::Rows<decltype(f), decltype(t)>(from, to, area, reach, step);
                });
            });
            target.Changed();
            return true;
        }
        // The copy has no rows to walk straight: pixel by pixel, each write told.
    }
    const walk::TSurfaceReader read{source};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) target.WritePixel(x, y, step(read, x, y));
    return false;
}

// The walk from one view's surface to another's (the same view for a change in place).
// An empty area never asks for a surface.
template <class Step>
bool WalkViews(TImage& source, TImage& target, TWalkArea area, int reach, Step step) {
    if (area.Empty()) return false;
    TCanvas& from = source.Surface();
    TCanvas& to = &target == &source ? from : target.Surface();
    return WalkSurfaces(from, to, area, reach, target.ChangesUnobserved(), step);
}

// A point operation over the whole view: the width and height read once, then each
// pixel read and its mapped colour written.
template <class Map>
bool MapViewPixels(TImage& view, Map map) {
    return WalkViews(view, view, {0, 0, view.Width(), view.Height()}, 0,
                     [&map](const auto& read, int x, int y) { return map(read(x, y)); });
}

}  // namespace vardel
