// The "Histogramas" commands: count one channel of the main view and plot the
// counts in the histogram window, over whatever it already shows.
#include <array>

#include "app/Dorsk.h"
#include "app/HistogramPlot.h"
#include "app/PixelLoops.h"
#include "app/Unit3.h"
#include "platform/runtime/FloatMath.h"

namespace vardel {

namespace {

using TCounts = std::array<int32_t, 256>;
enum class TPlotStyle { Bars, Points };

template <class Channel>
TCounts CountChannel(TImage& view, Channel channel) {
    TCounts counts{};
    const int width = view.Width();
    const int height = view.Height();
    if (width <= 0 || height <= 0) return counts;
    TCanvas& surface = view.Surface();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ++counts[static_cast<size_t>(channel(surface.ReadPixel(x, y)))];
    return counts;
}

void Plot(const TCounts& counts, TPlotStyle style, TColor color) {
    Form3->Present();
    TImage& view = *Form3->Image2;
    TCanvas& axes = view.Surface();
    for (int k = 0; k <= kVerticalAxisLength; ++k)
        axes.WritePixel(kPlotOriginX, kPlotOriginY - k, clBlack);
    for (int k = 0; k <= kHorizontalAxisLength; ++k)
        axes.WritePixel(kPlotOriginX + k, kPlotOriginY, clBlack);
    view.RepaintNow();
    TCanvas& plot = view.Surface();
    for (int i = 0; i <= 255; ++i) {
        // One pixel of height per ten counts, halves to the even neighbour.
        const int64_t n =
            RoundHalfEven(static_cast<Extended>(counts[static_cast<size_t>(i)]) / kCountsPerPixel);
        const int x = kPlotFirstColumn + i;
        if (style == TPlotStyle::Bars) {
            // A bar stands on the row above the axis and has n + 1 pixels, so every
            // value shows at least one; rows above the picture are not drawn.
            for (int64_t k = 0; k <= n; ++k)
                plot.WritePixel(x, static_cast<int>(kPlotOriginY - 1 - k), color);
        } else {
            // A count that rounds to 0 puts its point on the axis row.
            plot.WritePixel(x, static_cast<int>(kPlotOriginY - n), color);
        }
    }
    view.RepaintNow();
}

}  // namespace

void TForm1::HistogramaGris1Click(TObject*) {
    // The grey histogram counts the blue channel, as "Histograma Azul" does.
    Plot(CountChannel(*Image1, BlueOf), TPlotStyle::Bars, clRed);
}

void TForm1::HistogramaRojo1Click(TObject*) {
    Plot(CountChannel(*Image1, RedOf), TPlotStyle::Points, clRed);
}

void TForm1::HistogramaVerde1Click(TObject*) {
    Plot(CountChannel(*Image1, GreenOf), TPlotStyle::Points, clGreen);
}

void TForm1::HistogramaAzul1Click(TObject*) {
    Plot(CountChannel(*Image1, BlueOf), TPlotStyle::Points, clBlue);
}

}  // namespace vardel
