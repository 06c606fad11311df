#include "graphics/Picture.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Files.h"

namespace vardel {

namespace {
std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}
}  // namespace

// ---------------------------------------------------------------------------
// Registry of file extensions

TFileFormatsList::TFileFormatsList() {
    Add("wmf", "Metafiles", TMetafile::ClassInfo());
    Add("emf", "Enhanced Metafiles", TMetafile::ClassInfo());
    Add("ico", "Icons", TIcon::ClassInfo());
    Add("bmp", "Bitmaps", TBitmap::ClassInfo());
}

TFileFormatsList& TFileFormatsList::Instance() {
    static TFileFormatsList list;
    return list;
}

void TFileFormatsList::Add(std::string_view extension, std::string_view description,
                           const TGraphicClass& kind) {
    rows_.push_back({LowerCase(extension), std::string(description), &kind, 0});
}

void TFileFormatsList::Remove(const TGraphicClass& kind) {
    std::erase_if(rows_, [&](const TFileFormat& row) { return row.kind->InheritsFrom(kind); });
}

const TGraphicClass* TFileFormatsList::FindByExtension(std::string_view extension) const {
    const std::string wanted = LowerCase(extension);
    for (auto row = rows_.rbegin(); row != rows_.rend(); ++row)
        if (row->extension == wanted) return row->kind;
    return nullptr;
}

std::vector<TFileFormat> TFileFormatsList::Rows() const {
    return rows_;
}

TClipboardFormats::TClipboardFormats() {
    Add(3, TMetafile::ClassInfo());   // metafile picture
    Add(14, TMetafile::ClassInfo());  // enhanced metafile
    Add(2, TBitmap::ClassInfo());     // bitmap
}

TClipboardFormats& TClipboardFormats::Instance() {
    static TClipboardFormats formats;
    return formats;
}

void TClipboardFormats::Add(uint16_t format, const TGraphicClass& kind) {
    rows_.emplace_back(format, &kind);
}

void TClipboardFormats::Remove(const TGraphicClass& kind) {
    std::erase_if(rows_, [&](const auto& row) { return row.second->InheritsFrom(kind); });
}

const TGraphicClass* TClipboardFormats::FindFormat(uint16_t format) const {
    for (auto row = rows_.rbegin(); row != rows_.rend(); ++row)
        if (row->first == format) return row->second;
    return nullptr;
}

std::vector<std::pair<uint16_t, const TGraphicClass*>> TClipboardFormats::Rows() const {
    return rows_;
}

uint16_t RegisterClipboardFormat(std::string_view name) {
    static std::mutex mutex;
    static std::map<std::string, uint16_t> formats;
    std::lock_guard lock(mutex);
    const std::string key = LowerCase(name);
    auto [at, added] = formats.try_emplace(key, static_cast<uint16_t>(0xC000 + formats.size()));
    return at->second;
}

// ---------------------------------------------------------------------------
// Picture

TPicture::TPicture() {
    TFileFormatsList::Instance();
}

TPicture::~TPicture() = default;

void TPicture::Subscribe(TGraphic& graphic) {
    graphic.OnModified = GraphicChanged{this};
    graphic.OnProgress = [this](TObject* sender, TProgressStage stage, uint8_t percent, bool redraw,
                                const gdi::RECT& r, const std::string& msg) {
        if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
    };
}

void TPicture::Hold(std::unique_ptr<TGraphic> graphic) {
    if (graphic) Subscribe(*graphic);
    graphic_ = std::move(graphic);
}

void TPicture::LoadFile(std::string_view fileName) {
    const std::string extension = ExtensionOf(fileName);
    const TGraphicClass* kind = TFileFormatsList::Instance().FindByExtension(extension);
    if (!kind) throw EInvalidGraphic(Format(msg::kUnknownExtension, {extension}));
    std::unique_ptr<TGraphic> graphic = kind->create();
    // Readers report progress to the view while decoding; changes made while loading
    // are not passed on (the subscription comes after the load).
    graphic->OnProgress = [this](TObject* sender, TProgressStage stage, uint8_t percent,
                                 bool redraw, const gdi::RECT& r, const std::string& msg) {
        if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
    };
    graphic->LoadFile(fileName);
    Hold(std::move(graphic));
    Changed();
}

void TPicture::SaveFile(std::string_view fileName) {
    if (graphic_) graphic_->SaveFile(fileName);
}

TBitmap* TPicture::AsBitmap() {
    EnsureKind(TBitmap::ClassInfo());
    return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::EnsureKind(const TGraphicClass& kind) {
    if (graphic_ && graphic_->ClassType().InheritsFrom(kind)) return;
    Hold(kind.create());
    Changed();
}

void TPicture::AssignGraphic(const TGraphic* graphic) {
    if (!graphic) {
        graphic_.reset();
        Changed();
        return;
    }
    std::unique_ptr<TGraphic> copy = graphic->ClassType().create();
    copy->Assign(graphic);
    Hold(std::move(copy));
    try {
        Changed();
    } catch (...) {
        // A refused notification leaves no half-announced copy behind: it is freed and
        // the picture is empty (what it held before is already gone).
        graphic_.reset();
        throw;
    }
}

void TPicture::Assign(const TPersistent* source) {
    if (!source) {
        AssignGraphic(nullptr);
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        AssignGraphic(picture->Graphic());
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        AssignGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::LoadStream(TStream& stream) {
    AsBitmap()->LoadStream(stream);
}
void TPicture::SaveStream(TStream& stream) {
    AsBitmap()->SaveStream(stream);
}

bool TPicture::HearsGraphicAlone() const {
    if (!graphic_ || !graphic_->OnModified) return true;
    const auto* own = graphic_->OnModified.target<GraphicChanged>();
    return own && own->picture == this;
}

int TPicture::Width() const {
    return graphic_ ? graphic_->Width() : 0;
}
int TPicture::Height() const {
    return graphic_ ? graphic_->Height() : 0;
}

void TPicture::RegisterFormat(std::string_view extension, std::string_view description,
                              const TGraphicClass& kind) {
    TFileFormatsList::Instance().Add(extension, description, kind);
}

void TPicture::RegisterClipboard(uint16_t format, const TGraphicClass& kind) {
    TClipboardFormats::Instance().Add(format, kind);
}

void TPicture::UnregisterKind(const TGraphicClass& kind) {
    TFileFormatsList::Instance().Remove(kind);
    TClipboardFormats::Instance().Remove(kind);
}

}  // namespace vardel
