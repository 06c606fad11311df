#include "formats/gif/GifItem.h"

#include "formats/gif/GifImage.h"

namespace vardel {

void TGIFItem::ReportWarning(int severity, std::string_view message) {
    if (image_) image_->ReportWarning(this, severity, message);
}

void TGIFItem::SaveToFile(std::string_view fileName) const {
    TFileStream stream(fileName, FileMode::Create);
    SaveToStream(stream);
}

void TGIFItem::LoadFromFile(std::string_view fileName) {
    TFileStream stream(fileName, FileMode::OpenRead);
    LoadFromStream(stream);
}

void TGIFListBase::ReportWarning(int severity, std::string_view message) {
    if (image_) image_->ReportWarning(this, severity, message);
}

}  // namespace vardel
