#include "app/Unit3.h"

#include "app/HistogramPlot.h"
#include "graphics/Color.h"

namespace vardel {

TForm3* Form3 = nullptr;

TForm3::TForm3() : TForm("Form3") {
    SetCaption("Form3");
    SetBounds(192, 114, 539, 517);
    Image2 = std::make_unique<TImage>("Image2");
    Image2->SetParent(this);
    Image2->SetBounds(16, 8, 505, 465);
}

TForm3::~TForm3() = default;

void TForm3::Borrar1Click(TObject*) {
    // Nothing plotted yet: nothing to erase (and no half axis to draw on a new page).
    if (!Image2->Picture().Graphic()) return;
    TCanvas& surface = Image2->Surface();
    // Bars reach up to the top row, points anywhere above the axis.
    for (int y = kPlotOriginY - 1; y >= 0; --y)
        for (int x = kPlotFirstColumn; x <= kPlotLastColumn; ++x) surface.WritePixel(x, y, clWhite);
    // Points of zero counts sat on the axis row.
    for (int x = kPlotFirstColumn; x <= kPlotLastColumn; ++x)
        surface.WritePixel(x, kPlotOriginY, clBlack);
    Image2->RepaintNow();
}

}  // namespace vardel
