#include "app/Unit6.h"

namespace vardel {

TForm6* Form6 = nullptr;

TForm6::TForm6() : TForm("Form6") {
    SetCaption("Form6");
    SetBounds(192, 114, 696, 480);
}

}  // namespace vardel
