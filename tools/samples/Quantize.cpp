#include "tools/samples/Quantize.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace vardel::samples {

namespace {

struct TWeighted {
    TRgb8 color;
    uint64_t count;
};

struct TBox {
    std::vector<TWeighted> colors;
    uint64_t Weight() const {
        uint64_t w = 0;
        for (const TWeighted& c : colors) w += c.count;
        return w;
    }
    // The channel with the widest spread and that spread.
    std::pair<int, int> WidestChannel() const {
        int best = 0, spread = -1;
        for (int ch = 0; ch < 3; ++ch) {
            int lo = 255, hi = 0;
            for (const TWeighted& c : colors) {
                lo = std::min<int>(lo, c.color[ch]);
                hi = std::max<int>(hi, c.color[ch]);
            }
            if (hi - lo > spread) {
                spread = hi - lo;
                best = ch;
            }
        }
        return {best, spread};
    }
    TRgb8 Mean() const {
        uint64_t sum[3] = {0, 0, 0}, total = 0;
        for (const TWeighted& c : colors) {
            for (int ch = 0; ch < 3; ++ch) sum[ch] += c.color[ch] * c.count;
            total += c.count;
        }
        TRgb8 mean{};
        for (int ch = 0; ch < 3; ++ch)
            mean[ch] = static_cast<uint8_t>((sum[ch] + total / 2) / total);
        return mean;
    }
};

}  // namespace

std::vector<TRgb8> MedianCut(const std::vector<TRgb8>& colors, int count) {
    std::map<TRgb8, uint64_t> histogram;
    for (const TRgb8& c : colors) ++histogram[c];
    std::vector<TBox> boxes(1);
    for (const auto& [color, n] : histogram) boxes[0].colors.push_back({color, n});

    while (static_cast<int>(boxes.size()) < count) {
        // Split the box where weight times spread is largest: a big, busy box first.
        int pick = -1;
        double best = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colors.size() < 2) continue;
            const double score =
                static_cast<double>(boxes[i].WidestChannel().second) * std::sqrt(boxes[i].Weight());
            if (score > best) {
                best = score;
                pick = static_cast<int>(i);
            }
        }
        if (pick < 0) break;
        TBox& box = boxes[static_cast<size_t>(pick)];
        const int ch = box.WidestChannel().first;
        std::sort(
            box.colors.begin(), box.colors.end(), [ch](const TWeighted& a, const TWeighted& b) {
                return a.color[ch] != b.color[ch] ? a.color[ch] < b.color[ch] : a.color < b.color;
            });
        // The median by weight, keeping at least one colour on each side.
        const uint64_t half = box.Weight() / 2;
        uint64_t run = 0;
        size_t cut = 1;
        for (; cut < box.colors.size() - 1; ++cut) {
            run += box.colors[cut - 1].count;
            if (run >= half) break;
        }
        TBox upper;
        upper.colors.assign(box.colors.begin() + static_cast<std::ptrdiff_t>(cut),
                            box.colors.end());
        box.colors.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<TRgb8> palette;
    for (const TBox& box : boxes) palette.push_back(box.Mean());
    return palette;
}

uint8_t Nearest(const std::vector<TRgb8>& palette, const TRgb8& color) {
    int best = 0, bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        int d = 0;
        for (int ch = 0; ch < 3; ++ch) {
            const int diff = int{palette[i][ch]} - int{color[ch]};
            d += diff * diff;
        }
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return static_cast<uint8_t>(best);
}

}  // namespace vardel::samples
