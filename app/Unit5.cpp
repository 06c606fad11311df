#include "app/Unit5.h"

#include "graphics/Color.h"

namespace vardel {

TParContraste* ParContraste = nullptr;

namespace {
std::unique_ptr<TLabel> MakeLabel(TForm& form, const char* name, const char* caption, int left,
                                  int top, int width, int height) {
    auto label = std::make_unique<TLabel>(form, name);
    label->SetFontHeight(-24);
    label->SetCaption(caption);
    label->SetBounds(left, top, width, height);
    return label;
}

std::unique_ptr<TEdit> MakeEdit(TForm& form, const char* name, const char* text, int left, int top,
                                int width, int height, int tabOrder) {
    auto edit = std::make_unique<TEdit>(form, name);
    edit->SetBounds(left, top, width, height);
    edit->SetText(text);
    edit->SetTabOrder(tabOrder);
    return edit;
}
}  // namespace

TParContraste::TParContraste() : TForm("ParContraste") {
    SetCaption("Parámetros del contraste");
    SetBounds(279, 152, 546, 505);

    Edit1 = MakeEdit(*this, "Edit1", "10", 352, 88, 97, 21, 0);
    Edit2 = MakeEdit(*this, "Edit2", "200", 352, 136, 137, 37, 1);
    Edit2->SetFontHeight(-24);
    Edit2->SetFontColor(static_cast<gdi::COLORREF>(clRed));
    Edit3 = MakeEdit(*this, "Edit3", "20", 352, 224, 137, 45, 2);
    Edit3->SetFontHeight(-32);

    Label1 = MakeLabel(*this, "Label1", "Brillo mínimo de entrada", 40, 88, 262, 29);
    Label2 = MakeLabel(*this, "Label2", "Brillo máximo de entrada", 40, 136, 267, 29);
    Label3 = MakeLabel(*this, "Label3", "Brillo mínimo de  salida", 48, 232, 251, 29);

    Button1 = std::make_unique<TButton>(*this, "Button1");
    Button1->SetBounds(184, 344, 185, 65);
    Button1->SetCaption("Aceptar");
    // Enter confirms wherever the focus is, as a click on "Aceptar" does.
    Button1->SetDefault(true);
    Button1->SetTabOrder(3);
    Button1->OnClick = [this](TObject* sender) { Button1Click(sender); };
}

void TParContraste::Button1Click(TObject*) {
    Dismiss();
}

}  // namespace vardel
