#include "app/Unit4.h"

namespace vardel {

TForm4* Form4 = nullptr;

TForm4::TForm4() : TForm("Form4") {
    SetCaption("Form4");
    SetBounds(192, 114, 870, 500);
}

}  // namespace vardel
