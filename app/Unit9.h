// "Form9": one view, made at start-up and never shown.
#pragma once

#include <memory>

#include "graphics/Image.h"
#include "platform/ui/qt/Form.h"

namespace vardel {

class TForm9 : public TForm {
  public:
    TForm9();
    ~TForm9() override;
    std::string_view ClassName() const override { return "TForm9"; }

    std::unique_ptr<TImage> Image3;
};

extern TForm9* Form9;

}  // namespace vardel
