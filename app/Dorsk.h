// The main window "Procesamiento de Imágenes": the main view Image1, the menu bar
// with every command, the erase brush's pop-up menu and the file dialogs.
#pragma once

#include <memory>

#include "graphics/Image.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/qt/Form.h"
#include "platform/ui/qt/Menus.h"

namespace vardel {

class TForm1 : public TForm {
  public:
    TForm1();
    ~TForm1() override;
    std::string_view ClassName() const override { return "TForm1"; }

    std::unique_ptr<TMainMenu> MainMenu1;
    TMenuItem* AbrirImagen1;
    TMenuItem* SalvarImagen1;
    TMenuItem* Procesamiento1;
    TMenuItem* EscaladeGrises1;
    TMenuItem* odaRoja1;
    TMenuItem* odaVerde1;
    TMenuItem* EscaladeGrises2;
    TMenuItem* ComponenteAzul1;
    TMenuItem* ComponenteVerde1;
    TMenuItem* ComponenteRoja1;
    TMenuItem* Umbral1;
    std::unique_ptr<TOpenDialog> OpenDialog1;
    std::unique_ptr<TImage> Image1;
    TMenuItem* SalvarImagen2;
    std::unique_ptr<TSaveDialog> SaveDialog1;
    TMenuItem* Salir1;
    TMenuItem* Histogramas1;
    TMenuItem* HistogramaGris1;
    TMenuItem* HistogramaRojo1;
    TMenuItem* HistogramaVerde1;
    TMenuItem* HistogramaAzul1;
    TMenuItem* BorrarHistograma1;
    std::unique_ptr<TPopupMenu> PopupMenu1;
    TMenuItem* Habilitarborrado1;
    TMenuItem* Deshabilitarborrado1;
    TMenuItem* Contraste1;
    TMenuItem* CargarJPEG1;
    TMenuItem* CargarGIF1;
    TMenuItem* CargarTiff1;
    TMenuItem* Convolucion1;
    std::unique_ptr<TOpenDialog> OpenDialog2;
    TMenuItem* Convol21;

    void SalvarImagen1Click(TObject* Sender);
    void ComponenteAzul1Click(TObject* Sender);
    void odaRoja1Click(TObject* Sender);
    void odaVerde1Click(TObject* Sender);
    void ComponenteVerde1Click(TObject* Sender);
    void ComponenteRoja1Click(TObject* Sender);
    void Umbral1Click(TObject* Sender);
    void SalvarImagen2Click(TObject* Sender);
    void Salir1Click(TObject* Sender);
    void HistogramaGris1Click(TObject* Sender);
    void HistogramaRojo1Click(TObject* Sender);
    void HistogramaVerde1Click(TObject* Sender);
    void HistogramaAzul1Click(TObject* Sender);
    void Habilitarborrado1Click(TObject* Sender);
    void Deshabilitarborrado1Click(TObject* Sender);
    void Image1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Contraste1Click(TObject* Sender);
    void CargarJPEG1Click(TObject* Sender);
    void CargarGIF1Click(TObject* Sender);
    void CargarTiff1Click(TObject* Sender);
    void Convolucion1Click(TObject* Sender);
    void Convol21Click(TObject* Sender);
    void EscaladeGrises1Click(TObject* Sender);

  private:
    void BuildMenus();
    TMenuItem* Bind(TMenuItem& item, void (TForm1::*handler)(TObject*));
};

extern TForm1* Form1;

}  // namespace vardel
