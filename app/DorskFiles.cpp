// The "Archivos" commands of the main window.
#include "app/Dorsk.h"
#include "app/Unit8.h"

namespace vardel {

void TForm1::SalvarImagen1Click(TObject*) {
    if (!OpenDialog1->PickFile()) return;
    Image1->Picture().LoadFile(OpenDialog1->FileName());
    Form8->Image2->Picture().LoadFile(OpenDialog1->FileName());
    Form8->PresentModal();
}

void TForm1::SalvarImagen2Click(TObject*) {
    if (!SaveDialog1->PickFile()) return;
    Image1->Picture().SaveFile(SaveDialog1->FileName());
}

void TForm1::Salir1Click(TObject*) {
    Dismiss();
}

}  // namespace vardel
