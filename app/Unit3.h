// The histogram window "Form3": the view Image2 that the histogram commands plot in.
#pragma once

#include <memory>

#include "graphics/Image.h"
#include "platform/ui/qt/Form.h"

namespace vardel {

class TForm3 : public TForm {
  public:
    TForm3();
    ~TForm3() override;
    std::string_view ClassName() const override { return "TForm3"; }

    std::unique_ptr<TImage> Image2;

    // Erases the plot: the bars and points of columns 51 to 306 become white and the
    // axis row under them black again, so that the next histogram stands alone.
    void Borrar1Click(TObject* Sender);
};

extern TForm3* Form3;

}  // namespace vardel
