// The contrast dialog "Parámetros del contraste": the minimum and maximum input
// brightness and the minimum output brightness that "Contraste" reads.
#pragma once

#include <memory>

#include "platform/ui/qt/Form.h"
#include "platform/ui/qt/StdControls.h"

namespace vardel {

class TParContraste : public TForm {
  public:
    TParContraste();
    std::string_view ClassName() const override { return "TParContraste"; }

    std::unique_ptr<TEdit> Edit1;
    std::unique_ptr<TEdit> Edit2;
    std::unique_ptr<TEdit> Edit3;
    std::unique_ptr<TLabel> Label1;
    std::unique_ptr<TLabel> Label2;
    std::unique_ptr<TLabel> Label3;
    std::unique_ptr<TButton> Button1;

    void Button1Click(TObject* Sender);
};

extern TParContraste* ParContraste;

}  // namespace vardel
