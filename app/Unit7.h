// "Form7": the view Image7 of the pictures that the fixed-path commands load.
#pragma once

#include <memory>

#include "graphics/Image.h"
#include "platform/ui/qt/Form.h"

namespace vardel {

class TForm7 : public TForm {
  public:
    TForm7();
    ~TForm7() override;
    std::string_view ClassName() const override { return "TForm7"; }

    std::unique_ptr<TImage> Image7;
};

extern TForm7* Form7;

}  // namespace vardel
