#include "app/Dorsk.h"

#include "app/Unit3.h"

namespace vardel {

TForm1* Form1 = nullptr;

TForm1::TForm1() : TForm("Form1") {
    SetCaption("Procesamiento de Imágenes");
    BuildMenus();
    SetMenu(MainMenu1.get());
    SetBounds(290, 173, 729, 394);

    OpenDialog1 = std::make_unique<TOpenDialog>("OpenDialog1");
    OpenDialog1->SetTitle("Abrir imagen");
    OpenDialog1->SetDefaultExt("bmp");
    OpenDialog1->SetFilter("Mapa de bits (*.bmp)|*.bmp|jpeg (*.jpg)|*.jpg");
    OpenDialog1->SetFilterIndex(1);
    SaveDialog1 = std::make_unique<TSaveDialog>("SaveDialog1");
    SaveDialog1->SetTitle("Guardar imagen");
    OpenDialog2 = std::make_unique<TOpenDialog>("OpenDialog2");
    OpenDialog2->SetTitle("Abrir imagen para filtrar");

    Image1 = std::make_unique<TImage>("Image1");
    Image1->SetParent(this);
    Image1->SetBounds(0, 0, 721, 321);
    Image1->SetAutoSize(true);
    Image1->SetStretch(true);
    Image1->OnMouseMove = [this](TControl* sender, TShiftState shift, int x, int y) {
        Image1MouseMove(sender, shift, x, y);
    };
    Image1->OnContextPopup = [this](TControl* sender, int x, int y) {
        Popup(*PopupMenu1, sender->Left() + x, sender->Top() + y);
    };
    // The window grows and shrinks with the picture.
    SetAutoSize(true);
}

TForm1::~TForm1() {
    // The menu bar shows the menu's items: it goes before them.
    SetMenu(nullptr);
}

TMenuItem* TForm1::Bind(TMenuItem& item, void (TForm1::*handler)(TObject*)) {
    item.OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
    return &item;
}

void TForm1::BuildMenus() {
    MainMenu1 = std::make_unique<TMainMenu>("MainMenu1");
    AbrirImagen1 = &MainMenu1->Add("AbrirImagen1", "Archivos");
    SalvarImagen1 =
        Bind(AbrirImagen1->Add("SalvarImagen1", "Abrir Imagen"), &TForm1::SalvarImagen1Click);
    SalvarImagen2 =
        Bind(AbrirImagen1->Add("SalvarImagen2", "Salvar Imagen"), &TForm1::SalvarImagen2Click);
    Salir1 = Bind(AbrirImagen1->Add("Salir1", "Salir"), &TForm1::Salir1Click);

    Procesamiento1 = &MainMenu1->Add("Procesamiento1", "Procesamiento");
    EscaladeGrises1 =
        Bind(Procesamiento1->Add("EscaladeGrises1", "Toda Azul"), &TForm1::EscaladeGrises1Click);
    odaRoja1 = Bind(Procesamiento1->Add("odaRoja1", "Toda Roja"), &TForm1::odaRoja1Click);
    odaVerde1 = Bind(Procesamiento1->Add("odaVerde1", "Toda Verde"), &TForm1::odaVerde1Click);

    EscaladeGrises2 = &MainMenu1->Add("EscaladeGrises2", "Escala de Grises");
    ComponenteAzul1 = Bind(EscaladeGrises2->Add("ComponenteAzul1", "Componente Azul"),
                           &TForm1::ComponenteAzul1Click);
    ComponenteVerde1 = Bind(EscaladeGrises2->Add("ComponenteVerde1", "Componente Verde"),
                            &TForm1::ComponenteVerde1Click);
    ComponenteRoja1 = Bind(EscaladeGrises2->Add("ComponenteRoja1", "Componente Roja"),
                           &TForm1::ComponenteRoja1Click);

    Umbral1 = Bind(MainMenu1->Add("Umbral1", "Umbral"), &TForm1::Umbral1Click);

    Histogramas1 = &MainMenu1->Add("Histogramas1", "Histogramas");
    HistogramaGris1 = Bind(Histogramas1->Add("HistogramaGris1", "Histograma Gris"),
                           &TForm1::HistogramaGris1Click);
    HistogramaRojo1 = Bind(Histogramas1->Add("HistogramaRojo1", "Histograma Rojo"),
                           &TForm1::HistogramaRojo1Click);
    HistogramaVerde1 = Bind(Histogramas1->Add("HistogramaVerde1", "Histograma Verde"),
                            &TForm1::HistogramaVerde1Click);
    HistogramaAzul1 = Bind(Histogramas1->Add("HistogramaAzul1", "Histograma Azul"),
                           &TForm1::HistogramaAzul1Click);

    // The erase handler of the histogram window clears the plot.
    BorrarHistograma1 = &MainMenu1->Add("BorrarHistograma1", "Borrar Histograma");
    BorrarHistograma1->OnClick = [](TObject* sender) {
        if (Form3) Form3->Borrar1Click(sender);
    };

    Contraste1 = Bind(MainMenu1->Add("Contraste1", "Contraste"), &TForm1::Contraste1Click);
    CargarJPEG1 = Bind(MainMenu1->Add("CargarJPEG1", "Cargar JPEG"), &TForm1::CargarJPEG1Click);
    CargarGIF1 = Bind(MainMenu1->Add("CargarGIF1", "Cargar GIF"), &TForm1::CargarGIF1Click);
    CargarTiff1 = Bind(MainMenu1->Add("CargarTiff1", "Cargar Tiff"), &TForm1::CargarTiff1Click);
    Convolucion1 = Bind(MainMenu1->Add("Convolucion1", "Convolucion"), &TForm1::Convolucion1Click);
    Convol21 = Bind(MainMenu1->Add("Convol21", "Convol2"), &TForm1::Convol21Click);

    PopupMenu1 = std::make_unique<TPopupMenu>("PopupMenu1");
    Habilitarborrado1 = Bind(PopupMenu1->Add("Habilitarborrado1", "Habilitar borrado"),
                             &TForm1::Habilitarborrado1Click);
    Deshabilitarborrado1 = Bind(PopupMenu1->Add("Deshabilitarborrado1", "Deshabilitar borrado"),
                                &TForm1::Deshabilitarborrado1Click);
    // The erase mode starts off.
    Deshabilitarborrado1->SetEnabled(false);
}

}  // namespace vardel
