// "Form4": a window without controls, made at start-up and never shown.
#pragma once

#include "platform/ui/qt/Form.h"

namespace vardel {

class TForm4 : public TForm {
  public:
    TForm4();
    std::string_view ClassName() const override { return "TForm4"; }
};

extern TForm4* Form4;

}  // namespace vardel
