#include "app/Unit2.h"

#include "app/Dorsk.h"

namespace vardel {

TForm2* Form2 = nullptr;

TForm2::TForm2() : TForm("Form2") {
    SetCaption("Form2");
    SetBounds(431, 267, 314, 194);

    Edit1 = std::make_unique<TEdit>(*this, "Edit1");
    Edit1->SetBounds(176, 56, 57, 21);
    Edit1->SetText("50");
    Edit1->SetTabOrder(0);

    Label1 = std::make_unique<TLabel>(*this, "Label1");
    Label1->SetFontHeight(-16);
    Label1->SetCaption("Valor de umbral");
    Label1->SetBounds(40, 56, 111, 20);

    Button1 = std::make_unique<TButton>(*this, "Button1");
    Button1->SetBounds(120, 112, 75, 25);
    Button1->SetCaption("Aceptar");
    // Enter confirms wherever the focus is, as a click on "Aceptar" does.
    Button1->SetDefault(true);
    Button1->SetTabOrder(1);
    Button1->OnClick = [this](TObject* sender) { Button1Click(sender); };
}

void TForm2::Button1Click(TObject*) {
    Dismiss();
    if (Form1) Form1->Image1->RepaintNow();
}

}  // namespace vardel
