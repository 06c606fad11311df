// The "Archivos" commands and the fixed-path loading commands of the main window.
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

void TForm1::CargarJPEG1Click(TObject*) {
    // The fixed-path commands come with the GIF, JPEG and TIFF readers.
}

void TForm1::CargarGIF1Click(TObject*) {
    // The fixed-path commands come with the GIF, JPEG and TIFF readers.
}

void TForm1::CargarTiff1Click(TObject*) {
    // The fixed-path commands come with the GIF, JPEG and TIFF readers.
}

}  // namespace vardel
