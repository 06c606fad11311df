// "Contraste": the contrast stretch of the main view through the table built from
// the dialog's three values.
#include "app/ContrastTable.h"
#include "app/Dorsk.h"
#include "app/PixelLoops.h"
#include "app/Unit5.h"
#include "platform/runtime/Convert.h"

namespace vardel {

void TForm1::Contraste1Click(TObject*) {
    ParContraste->PresentModal();
    // Converted in this order, so the first bad field is the one reported.
    const int32_t low = StrToInt(ParContraste->Edit1->Text());
    const int32_t high = StrToInt(ParContraste->Edit2->Text());
    const int32_t base = StrToInt(ParContraste->Edit3->Text());
    const TContrastTable table = BuildContrastTable(low, high, base);
    // Only the blue channel is looked up; the grey is the low byte of the entry.
    MapViewPixels(
        *Image1, [&table](TColor p) { return Grey(table[static_cast<size_t>(BlueOf(p))] & 0xFF); });
}

}  // namespace vardel
