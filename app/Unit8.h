// "Form8": the second view Image2, of a fixed size, that "Abrir Imagen" and the
// convolution commands show.
#pragma once

#include <memory>

#include "graphics/Image.h"
#include "platform/ui/qt/Form.h"

namespace vardel {

class TForm8 : public TForm {
  public:
    TForm8();
    ~TForm8() override;
    std::string_view ClassName() const override { return "TForm8"; }

    std::unique_ptr<TImage> Image2;
};

extern TForm8* Form8;

}  // namespace vardel
