// The point operations of the main window: keep one channel, grey from one channel,
// the threshold, and the erase brush.
#include "app/Dorsk.h"
#include "app/PixelLoops.h"
#include "app/Unit2.h"
#include "platform/runtime/Convert.h"
#include "platform/runtime/Exceptions.h"

namespace vardel {

void TForm1::EscaladeGrises1Click(TObject*) {
    MapViewPixels(*Image1, [](TColor p) { return BlueOf(p) * 0x10000; });
}

void TForm1::odaRoja1Click(TObject*) {
    MapViewPixels(*Image1, [](TColor p) { return RedOf(p); });
}

void TForm1::odaVerde1Click(TObject*) {
    MapViewPixels(*Image1, [](TColor p) { return GreenOf(p) * 0x100; });
}

void TForm1::ComponenteAzul1Click(TObject*) {
    MapViewPixels(*Image1, [](TColor p) { return Grey(BlueOf(p)); });
}

void TForm1::ComponenteVerde1Click(TObject*) {
    MapViewPixels(*Image1, [](TColor p) { return Grey(GreenOf(p)); });
}

void TForm1::ComponenteRoja1Click(TObject*) {
    MapViewPixels(*Image1, [](TColor p) { return Grey(RedOf(p)); });
}

void TForm1::Umbral1Click(TObject*) {
    // "Aceptar" and the title-bar button both lead on: the result is not looked at.
    Form2->PresentModal();
    const int32_t threshold = StrToInt(Form2->Edit1->Text());
    // Only the blue channel decides; a value equal to the threshold gives black. White
    // or black by a mask, not a branch: in a photograph either comes at random.
    MapViewPixels(*Image1, [threshold](TColor p) {
        return clWhite & -static_cast<TColor>(BlueOf(p) > threshold);
    });
}

void TForm1::Habilitarborrado1Click(TObject*) {
    Deshabilitarborrado1->SetEnabled(true);
    Habilitarborrado1->SetEnabled(false);
}

void TForm1::Deshabilitarborrado1Click(TObject*) {
    Deshabilitarborrado1->SetEnabled(false);
    Habilitarborrado1->SetEnabled(true);
}

void TForm1::Image1MouseMove(TObject*, TShiftState, int X, int Y) {
    // The mode lives in the enabled flag of "Deshabilitar borrado".
    if (!Deshabilitarborrado1->Enabled()) return;
    try {
        TCanvas& surface = Image1->Surface();
        for (int y = Y - 1; y <= Y + 1; ++y)
            for (int x = X - 1; x <= X + 1; ++x) surface.WritePixel(x, y, clWhite);
    } catch (const EInvalidOperation& refused) {
        // A view that holds no bitmap (a JPEG or GIF opened from a file) simply takes
        // no paint, without a word on every move of the mouse. Any other failure is
        // shown as every command's is.
        if (refused.Message() != msg::kNoBitmapInImage) throw;
    }
}

}  // namespace vardel
