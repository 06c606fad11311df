// The threshold dialog "Form2": the threshold value that "Umbral" reads.
#pragma once

#include <memory>

#include "platform/ui/qt/Form.h"
#include "platform/ui/qt/StdControls.h"

namespace vardel {

class TForm2 : public TForm {
  public:
    TForm2();
    std::string_view ClassName() const override { return "TForm2"; }

    std::unique_ptr<TEdit> Edit1;
    std::unique_ptr<TLabel> Label1;
    std::unique_ptr<TButton> Button1;

    void Button1Click(TObject* Sender);
};

extern TForm2* Form2;

}  // namespace vardel
