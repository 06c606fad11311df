#include "app/Unit9.h"

namespace vardel {

TForm9* Form9 = nullptr;

TForm9::TForm9() : TForm("Form9") {
    SetCaption("Form9");
    SetBounds(192, 114, 870, 500);
    Image3 = std::make_unique<TImage>("Image3");
    Image3->SetParent(this);
    Image3->SetBounds(8, 16, 841, 433);
    Image3->SetStretch(true);
}

TForm9::~TForm9() = default;

}  // namespace vardel
