// Regions as bands of rectangles: building them from rectangles and runs, and the set
// operations between two regions, band by band.
#include "platform/gdi/Region.h"

#include <algorithm>

namespace vardel::gdi {

namespace {
using Spans = std::vector<std::pair<int, int>>;

// Sorts and merges overlapping or touching runs.
void Normalize(Spans& s) {
    std::sort(s.begin(), s.end());
    size_t out = 0;
    for (const auto& r : s) {
        if (r.second <= r.first) continue;
        if (out > 0 && r.first <= s[out - 1].second) {
            s[out - 1].second = std::max(s[out - 1].second, r.second);
        } else {
            s[out++] = r;
        }
    }
    s.resize(out);
}

// Appends one band, joining it to the band above when both have the same runs.
void AppendBand(std::vector<RECT>& rects, size_t& lastBand, int top, int bottom, const Spans& s) {
    if (s.empty() || bottom <= top) return;
    const size_t prevCount = rects.size() - lastBand;
    if (lastBand < rects.size() && rects[lastBand].bottom == top && prevCount == s.size()) {
        bool same = true;
        for (size_t i = 0; i < s.size() && same; ++i)
            same =
                rects[lastBand + i].left == s[i].first && rects[lastBand + i].right == s[i].second;
        if (same) {
            for (size_t i = lastBand; i < rects.size(); ++i) rects[i].bottom = bottom;
            return;
        }
    }
    lastBand = rects.size();
    for (const auto& r : s) rects.push_back(RECT{r.first, top, r.second, bottom});
}

Spans CombineSpans(const Spans& a, const Spans& b, Region::Op op) {
    // Walk the edges of both, tracking whether each side is inside.
    std::vector<std::pair<int, int>> edges;  // x, which side toggles (1 = a, 2 = b)
    for (const auto& r : a) edges.push_back({r.first, 1}), edges.push_back({r.second, 1});
    for (const auto& r : b) edges.push_back({r.first, 2}), edges.push_back({r.second, 2});
    std::sort(edges.begin(), edges.end());
    Spans out;
    int state = 0;
    bool inside = false;
    int start = 0;
    for (size_t i = 0; i < edges.size();) {
        const int x = edges[i].first;
        while (i < edges.size() && edges[i].first == x) state ^= edges[i++].second;
        const bool inA = state & 1, inB = state & 2;
        bool now = false;
        switch (op) {
            case Region::Op::And:
                now = inA && inB;
                break;
            case Region::Op::Or:
                now = inA || inB;
                break;
            case Region::Op::Xor:
                now = inA != inB;
                break;
            case Region::Op::Diff:
                now = inA && !inB;
                break;
        }
        if (now && !inside) start = x;
        if (!now && inside) out.push_back({start, x});
        inside = now;
    }
    return out;
}
}  // namespace

Region::Region(const RECT& r) {
    if (r.right > r.left && r.bottom > r.top) rects_.push_back(r);
}

RECT Region::Bounds() const {
    if (rects_.empty()) return RECT{};
    RECT b = rects_.front();
    for (const RECT& r : rects_) {
        b.left = std::min(b.left, r.left);
        b.right = std::max(b.right, r.right);
    }
    b.bottom = rects_.back().bottom;
    return b;
}

std::pair<const RECT*, const RECT*> Region::Row(int y) const {
    // The first rectangle whose band ends below y.
    auto it = std::upper_bound(rects_.begin(), rects_.end(), y,
                               [](int v, const RECT& r) { return v < r.bottom; });
    if (it == rects_.end() || it->top > y) return {nullptr, nullptr};
    auto end = it;
    while (end != rects_.end() && end->top == it->top) ++end;
    return {&*it, &*it + (end - it)};
}

bool Region::Contains(int x, int y) const {
    auto [begin, end] = Row(y);
    for (const RECT* r = begin; r != end; ++r)
        if (x >= r->left && x < r->right) return true;
    return false;
}

void Region::ForEachRun(int y, int x0, int x1, const std::function<void(int, int)>& fn) const {
    auto [begin, end] = Row(y);
    for (const RECT* r = begin; r != end; ++r) {
        const int a = std::max(x0, r->left), b = std::min(x1, r->right);
        if (a < b) fn(a, b);
    }
}

void Region::Offset(int dx, int dy) {
    for (RECT& r : rects_) r.left += dx, r.right += dx, r.top += dy, r.bottom += dy;
}

Region Region::FromRects(std::vector<RECT> rects) {
    std::erase_if(rects, [](const RECT& r) { return r.right <= r.left || r.bottom <= r.top; });
    Region out;
    if (rects.empty()) return out;
    std::vector<int> ys;
    for (const RECT& r : rects) ys.push_back(r.top), ys.push_back(r.bottom);
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::sort(rects.begin(), rects.end(),
              [](const RECT& a, const RECT& b) { return a.top < b.top; });
    // Sweep the bands, keeping the rectangles that cover the current one.
    std::vector<RECT> active;
    size_t next = 0, lastBand = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const int top = ys[i], bottom = ys[i + 1];
        std::erase_if(active, [top](const RECT& r) { return r.bottom <= top; });
        while (next < rects.size() && rects[next].top <= top) active.push_back(rects[next++]);
        Spans s;
        for (const RECT& r : active) s.push_back({r.left, r.right});
        Normalize(s);
        AppendBand(out.rects_, lastBand, top, bottom, s);
    }
    return out.Bounded();
}

Region Region::FromRuns(std::vector<Run> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
    Region out;
    size_t lastBand = 0;
    for (size_t i = 0; i < runs.size();) {
        const int y = runs[i].y;
        Spans s;
        for (; i < runs.size() && runs[i].y == y; ++i) s.push_back({runs[i].x0, runs[i].x1});
        Normalize(s);
        AppendBand(out.rects_, lastBand, y, y + 1, s);
    }
    return out.Bounded();
}

Region Region::Combine(const Region& a, const Region& b, Op op) {
    std::vector<int> ys;
    for (const RECT& r : a.rects_) ys.push_back(r.top), ys.push_back(r.bottom);
    for (const RECT& r : b.rects_) ys.push_back(r.top), ys.push_back(r.bottom);
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    Region out;
    size_t lastBand = 0;
    size_t ia = 0, ib = 0;
    auto bandSpans = [](const std::vector<RECT>& rects, size_t& at, int top) {
        // Bands never overlap, so the band holding `top` starts at or after `at`.
        while (at < rects.size() && rects[at].bottom <= top) ++at;
        Spans s;
        for (size_t k = at; k < rects.size() && rects[k].top <= top; ++k)
            if (rects[k].bottom > top) s.push_back({rects[k].left, rects[k].right});
        return s;
    };
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const Spans sa = bandSpans(a.rects_, ia, ys[i]);
        const Spans sb = bandSpans(b.rects_, ib, ys[i]);
        AppendBand(out.rects_, lastBand, ys[i], ys[i + 1], CombineSpans(sa, sb, op));
    }
    return out.Bounded();
}

}  // namespace vardel::gdi
