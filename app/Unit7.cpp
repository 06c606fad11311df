#include "app/Unit7.h"

namespace vardel {

TForm7* Form7 = nullptr;

TForm7::TForm7() : TForm("Form7") {
    SetCaption("Form7");
    SetBounds(192, 114, 809, 484);
    Image7 = std::make_unique<TImage>("Image7");
    Image7->SetParent(this);
    Image7->SetBounds(0, 0, 801, 433);
    Image7->SetAutoSize(true);
    Image7->SetProportional(true);
    // The window follows its picture.
    SetAutoSize(true);
}

TForm7::~TForm7() = default;

}  // namespace vardel
