// "Convolucion" filters the second view in place; "Convol2" filters the main view
// into the second view. The outermost rows and columns are never written.
#include "app/Convolution.h"
#include "app/Dorsk.h"
#include "app/PixelLoops.h"
#include "app/Unit8.h"

namespace vardel {

namespace {
// The filter's grey at (x, y) of what `read` gives.
constexpr auto kFiltered = [](const auto& read, int x, int y) {
    return Grey(FilterStep(read, x, y));
};
}  // namespace

void TForm1::Convolucion1Click(TObject*) {
    if (OpenDialog2->PickFile()) {
        Form8->Present();
        Form8->Image2->Picture().LoadFile(OpenDialog2->FileName());
    }
    // Without a file the filter runs on whatever the second view holds. Written into
    // the surface it reads: a position sees its earlier neighbours already filtered.
    TImage& view = *Form8->Image2;
    WalkViews(view, view, {1, 1, view.Width() - 1, view.Height() - 1}, 1, kFiltered);
}

void TForm1::Convol21Click(TObject*) {
    WalkViews(*Image1, *Form8->Image2, {1, 1, Image1->Width() - 1, Image1->Height() - 1}, 1,
              kFiltered);
    Form8->Present();
}

}  // namespace vardel
