// The per-pixel path that the erase brush and every observed surface take: ReadPixel
// and WritePixel through a view's surface with the whole change chain (hooks, bitmap,
// picture, view, the window's invalidation), beside a plain loop over the same memory.
#include <benchmark/benchmark.h>

#include "graphics/Bitmap.h"
#include "graphics/Image.h"

using namespace vardel;

namespace {
constexpr int kWidth = 4000, kHeight = 3000;

// A view holding a bitmap of the given layout in a window, as the main window's view does.
std::unique_ptr<TImage> MakeView(TWindow& window, TPixelLayout layout) {
    auto view = std::make_unique<TImage>("Image1");
    view->SetParent(&window);
    view->SetAutoSize(true);
    view->SetStretch(true);
    TBitmap bitmap;
    if (layout != TPixelLayout::FormatDevice) bitmap.SetPixelLayout(layout);
    bitmap.SetSize(kWidth, kHeight);
    view->Picture().AssignGraphic(&bitmap);
    return view;
}

// "Componente Roja" through the view: read, take red, write grey.
void ViewSurface(benchmark::State& state, TPixelLayout layout) {
    TWindow window("Form1");
    window.SetAutoSize(true);
    auto view = MakeView(window, layout);
    for (auto _ : state) {
        TCanvas& surface = view->Surface();
        const int w = view->Width(), h = view->Height();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const TColor p = surface.ReadPixel(x, y);
                surface.WritePixel(x, y, (p & 0xFF) * 0x10101);
            }
    }
    state.counters["ns_per_pixel"] =
        benchmark::Counter(static_cast<double>(kWidth) * kHeight * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The same work straight on the rows of a section.
void PlainLoop(benchmark::State& state, int bytesPerPixel) {
    TBitmap bitmap;
    bitmap.SetPixelLayout(bytesPerPixel == 3 ? TPixelLayout::Format24Bit
                                             : TPixelLayout::Format32Bit);
    bitmap.SetSize(kWidth, kHeight);
    std::vector<uint8_t*> rows(kHeight);
    for (int y = 0; y < kHeight; ++y) rows[y] = bitmap.ScanRow(y);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* p = rows[y];
            for (int x = 0; x < kWidth; ++x, p += bytesPerPixel) p[0] = p[1] = p[2];
        }
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_pixel"] =
        benchmark::Counter(static_cast<double>(kWidth) * kHeight * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
}  // namespace

BENCHMARK_CAPTURE(ViewSurface, Section24, TPixelLayout::Format24Bit)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainLoop, Section24, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ViewSurface, Display32, TPixelLayout::FormatDevice)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainLoop, Display32, 4)->Unit(benchmark::kMillisecond);
