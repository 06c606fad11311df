#include "app/Unit8.h"

namespace vardel {

TForm8* Form8 = nullptr;

TForm8::TForm8() : TForm("Form8") {
    SetCaption("Form8");
    SetBounds(192, 114, 635, 407);
    Image2 = std::make_unique<TImage>("Image2");
    Image2->SetParent(this);
    Image2->SetBounds(24, 16, 577, 345);
    Image2->SetStretch(true);
}

TForm8::~TForm8() = default;

}  // namespace vardel
