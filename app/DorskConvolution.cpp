// "Convolucion" filters the second view in place; "Convol2" filters the main view
// into the second view. The outermost rows and columns are never written.
#include "app/Convolution.h"
#include "app/Dorsk.h"
#include "app/PixelLoops.h"
#include "app/Unit8.h"

namespace vardel {

void TForm1::Convolucion1Click(TObject*) {
    if (OpenDialog2->PickFile()) {
        Form8->Present();
        Form8->Image2->Picture().LoadFile(OpenDialog2->FileName());
    }
    // Without a file the filter runs on whatever the second view holds.
    TImage& view = *Form8->Image2;
    const int width = view.Width();
    const int height = view.Height();
    if (height <= 2 || width <= 2) return;
    // Written into the surface it reads: a position sees its earlier neighbours
    // already filtered.
    TCanvas& surface = view.Surface();
    for (int y = 1; y <= height - 2; ++y)
        for (int x = 1; x <= width - 2; ++x)
            surface.WritePixel(x, y, Grey(FilterStep(surface, x, y)));
}

void TForm1::Convol21Click(TObject*) {
    const int width = Image1->Width();
    const int height = Image1->Height();
    if (height > 2 && width > 2) {
        TCanvas& source = Image1->Surface();
        TCanvas& target = Form8->Image2->Surface();
        for (int y = 1; y <= height - 2; ++y)
            for (int x = 1; x <= width - 2; ++x)
                target.WritePixel(x, y, Grey(FilterStep(source, x, y)));
    }
    Form8->Present();
}

}  // namespace vardel
