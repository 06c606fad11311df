// Which class reads an extension: by label, then refined by what follows the label.
#include <algorithm>
#include <memory>

#include "formats/gif/GifExtensions.h"

namespace vardel {

namespace {

std::unique_ptr<TExtensionList>& ExtensionListSlot() {
    static std::unique_ptr<TExtensionList> list;
    return list;
}

std::unique_ptr<TAppExtensionList>& AppExtensionListSlot() {
    static std::unique_ptr<TAppExtensionList> list;
    return list;
}

}  // namespace

TExtensionList& TExtensionList::Instance() {
    auto& slot = ExtensionListSlot();
    if (!slot) {
        slot = std::make_unique<TExtensionList>();
        slot->Add(kPlainTextLabel, TGIFTextExtension::ClassInfo());
        slot->Add(kGraphicControlLabel, TGIFGraphicControlExtension::ClassInfo());
        slot->Add(kCommentLabel, TGIFCommentExtension::ClassInfo());
        slot->Add(kApplicationLabel, TGIFApplicationExtension::ClassInfo());
    }
    return *slot;
}

void TExtensionList::Free() {
    ExtensionListSlot().reset();
}

void TExtensionList::Add(uint8_t label, const TGIFExtensionClass& kind) {
    rows_.emplace_back(label, &kind);
}

const TGIFExtensionClass* TExtensionList::Find(uint8_t label) const {
    for (auto row = rows_.rbegin(); row != rows_.rend(); ++row)
        if (row->first == label) return row->second;
    return nullptr;
}

TAppExtensionList& TAppExtensionList::Instance() {
    auto& slot = AppExtensionListSlot();
    if (!slot) {
        slot = std::make_unique<TAppExtensionList>();
        slot->Add("NETSCAPE2.0", TGIFAppExtNSLoop::ClassInfo());
        slot->Add("ANIMEXTS1.0", TGIFAppExtNSLoop::ClassInfo());
    }
    return *slot;
}

void TAppExtensionList::Free() {
    AppExtensionListSlot().reset();
}

void TAppExtensionList::Add(std::string_view identifier, const TGIFExtensionClass& kind) {
    TGIFApplicationId id{};
    std::copy_n(identifier.begin(), std::min(identifier.size(), id.size()), id.begin());
    rows_.emplace_back(id, &kind);
}

const TGIFExtensionClass* TAppExtensionList::Find(const TGIFApplicationId& identifier) const {
    for (auto row = rows_.rbegin(); row != rows_.rend(); ++row)
        if (row->first == identifier) return row->second;
    return nullptr;
}

const TGIFExtensionClass* TGIFApplicationExtension::RefineClass(const TGIFExtensionClass& self,
                                                                TStream& stream) {
    const int64_t start = stream.Position();
    const int size = stream.ReadByte();
    if (size < 0) return nullptr;
    TGIFApplicationId id{};
    if (size == 10) {
        // A 10-byte identifier never names a known application.
        if (stream.Read(id.data(), 10) != 10) return nullptr;
        return &TGIFUnknownAppExtension::ClassInfo();
    }
    if (size == 11 && stream.Read(id.data(), 11) == 11) {
        const TGIFExtensionClass* known = TAppExtensionList::Instance().Find(id);
        return known ? known : &TGIFUnknownAppExtension::ClassInfo();
    }
    stream.SetPosition(start);
    return &self;
}

const TGIFExtensionClass* IdentifyExtension(TStream& stream) {
    const int64_t start = stream.Position();
    const int label = stream.ReadByte();
    const TGIFExtensionClass* kind =
        label < 0 ? nullptr : TExtensionList::Instance().Find(static_cast<uint8_t>(label));
    // Each refinement that changes the answer has consumed at least 11 bytes, so
    // the loop ends within the stream's length.
    while (kind) {
        const TGIFExtensionClass* refined = kind->refineClass(*kind, stream);
        if (refined == kind) break;
        kind = refined;
    }
    stream.SetPosition(start);
    return kind;
}

}  // namespace vardel
