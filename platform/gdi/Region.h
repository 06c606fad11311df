// Inside the graphics layer: areas of device pixels as bands of rectangles, the form
// that clipping and the region calls work on.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace vardel::gdi {

// Rectangles sorted by top, then left; the rectangles of one band share top and bottom
// and do not touch one another, and no two bands overlap.
class Region {
  public:
    Region() = default;
    explicit Region(const RECT& r);
    // The union of any rectangles (empty ones ignored).
    static Region FromRects(std::vector<RECT> rects);
    // Pixels given row by row as runs [x0, x1); rows may come in any order and repeat.
    struct Run {
        int y, x0, x1;
    };
    static Region FromRuns(std::vector<Run> runs);

    bool Empty() const { return rects_.empty(); }
    bool IsRect() const { return rects_.size() == 1; }
    RECT Bounds() const;
    const std::vector<RECT>& Rects() const { return rects_; }
    bool Contains(int x, int y) const;
    void Offset(int dx, int dy);
    // The runs of row y that lie in [x0, x1), left to right.
    void ForEachRun(int y, int x0, int x1, const std::function<void(int, int)>& fn) const;
    // The runs of row y, from the band that holds it (none when no band does).
    std::pair<const RECT*, const RECT*> Row(int y) const;

    enum class Op { And, Or, Xor, Diff };
    static Region Combine(const Region& a, const Region& b, Op op);

    // Regions of more rectangles become their bounds: combining stays cheap whatever
    // a file asks for, and clipping that fine-grained is never drawn by real files.
    static constexpr size_t kMaxRects = size_t{1} << 16;

  private:
    Region& Bounded() {
        if (rects_.size() > kMaxRects) *this = Region(Bounds());
        return *this;
    }
    std::vector<RECT> rects_;
};

}  // namespace vardel::gdi
