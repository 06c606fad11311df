#include "graphics/Graphic.h"

#include "platform/runtime/Exceptions.h"

namespace vardel {

const TGraphicClass& TGraphic::ClassInfo() {
    static const TGraphicClass info{"TGraphic", nullptr, nullptr};
    return info;
}

void TGraphic::NotifyChanged(TObject*) {
    modified_ = true;
    // More than pixels changed: whatever a kept notice found done may be undone.
    if (!pixelsOnly_) NextNoticeEpoch();
    if (OnModified) OnModified(this);
}

void TGraphic::TellPixelsChanged(TObject* sender) {
    pixelsOnly_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{pixelsOnly_};
    NotifyChanged(sender);
}

bool TGraphic::SameContent(const TGraphic* other) {
    if (!other) return false;
    if (IsEmpty() || other->IsEmpty()) return IsEmpty() && other->IsEmpty();
    if (&ClassType() != &other->ClassType()) return false;
    return ContentBytes() == const_cast<TGraphic*>(other)->ContentBytes();
}

std::vector<uint8_t> TGraphic::ContentBytes() {
    TMemoryStream memory;
    SaveStream(memory);
    return memory.TakeBytes();
}

void TGraphic::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    NotifyChanged(this);
}

void TGraphic::LoadFile(std::string_view fileName) {
    TFileStream stream(fileName, FileMode::OpenRead);
    LoadStream(stream);
}

void TGraphic::SaveFile(std::string_view fileName) {
    TFileStream stream(fileName, FileMode::Create);
    SaveStream(stream);
    stream.Flush();
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                        const gdi::RECT& r, const std::string& msg) {
    if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

}  // namespace vardel
