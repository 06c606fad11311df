// "Form6": a window without controls, made at start-up and never shown.
#pragma once

#include "platform/ui/qt/Form.h"

namespace vardel {

class TForm6 : public TForm {
  public:
    TForm6();
    std::string_view ClassName() const override { return "TForm6"; }
};

extern TForm6* Form6;

}  // namespace vardel
