#include "graphics/Icon.h"

#include <cstdlib>

#include "graphics/Canvas.h"
#include "platform/runtime/ByteOrder.h"
#include "platform/runtime/Exceptions.h"

namespace vardel {

VARDEL_DEFINE_GRAPHIC_CLASS(TIcon, TGraphic)

namespace {
constexpr size_t kDirectorySize = 6, kEntrySize = 16;
}  // namespace

void TIcon::LoadStream(TStream& stream) {
    const int64_t length = stream.Size() - stream.Position();
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(length, 0)));
    if (bytes.size() < kDirectorySize) throw EReadError(msg::kStreamRead);
    stream.ReadBuffer(bytes.data(), bytes.size());
    if (LoadLe16(&bytes[2]) > 1) throw EInvalidGraphic(msg::kIconInvalid);
    const size_t count = LoadLe16(&bytes[4]);
    if (kDirectorySize + count * kEntrySize > bytes.size()) throw EReadError(msg::kStreamRead);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = &bytes[kDirectorySize + i * kEntrySize];
        if (uint64_t{LoadLe32(e + 12)} + LoadLe32(e + 8) > bytes.size())
            throw EReadError(msg::kStreamRead);
    }
    bytes_ = std::move(bytes);
    icon_.reset();
    NotifyChanged(this);
}

void TIcon::SaveStream(TStream& stream) {
    stream.WriteBuffer(bytes_.data(), bytes_.size());
}

std::vector<TIcon::Entry> TIcon::Entries() const {
    std::vector<Entry> entries;
    if (bytes_.size() < kDirectorySize) return entries;
    const size_t count = LoadLe16(&bytes_[4]);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = &bytes_[kDirectorySize + i * kEntrySize];
        entries.push_back({e[0] ? e[0] : 256, e[1] ? e[1] : 256, LoadLe16(e + 6), LoadLe32(e + 8),
                           LoadLe32(e + 12)});
    }
    return entries;
}

// The image closest to the wanted size (the system's icon size unless a size was
// set), the one with more colours among equals.
std::optional<TIcon::Entry> TIcon::BestEntry() const {
    const std::vector<Entry> entries = Entries();
    const int wantW = width_ ? width_ : gdi::GetSystemMetrics(gdi::SM_CXICON);
    const int wantH = height_ ? height_ : gdi::GetSystemMetrics(gdi::SM_CYICON);
    const Entry* best = nullptr;
    for (const Entry& e : entries) {
        if (!best) {
            best = &e;
            continue;
        }
        const int d = std::abs(e.width - wantW) + std::abs(e.height - wantH);
        const int bd = std::abs(best->width - wantW) + std::abs(best->height - wantH);
        if (d < bd || (d == bd && e.bitCount > best->bitCount)) best = &e;
    }
    if (!best) return std::nullopt;
    return *best;
}

gdi::HICON TIcon::Handle() {
    if (!icon_) {
        if (const auto e = BestEntry())
            icon_ = gdi::CreateIconFromResource(bytes_.data() + e->offset, e->size);
    }
    return icon_;
}

int TIcon::Width() const {
    if (icon_) return gdi::GetIconSize(icon_).x;
    const auto e = BestEntry();
    return e ? e->width : width_;
}

int TIcon::Height() const {
    if (icon_) return gdi::GetIconSize(icon_).y;
    const auto e = BestEntry();
    return e ? e->height : height_;
}

void TIcon::SetWidth(int value) {
    if (icon_) throw EInvalidGraphicOperation(msg::kIconSize);
    width_ = value;
}

void TIcon::SetHeight(int value) {
    if (icon_) throw EInvalidGraphicOperation(msg::kIconSize);
    height_ = value;
}

void TIcon::Render(TCanvas& canvas, const gdi::RECT& rect) {
    // A damaged image has no platform icon and draws nothing.
    if (gdi::HICON icon = Handle())
        gdi::DrawIconEx(canvas.DrawingContext(), rect.left, rect.top, icon, rect.Width(),
                        rect.Height());
}

void TIcon::Assign(const TPersistent* source) {
    if (const auto* other = dynamic_cast<const TIcon*>(source)) {
        bytes_ = other->bytes_;
        icon_ = other->icon_;
        width_ = other->width_;
        height_ = other->height_;
        NotifyChanged(this);
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::LoadClipboard(uint16_t, const std::vector<uint8_t>&, const gdi::HPALETTE&) {
    throw EInvalidGraphicOperation(msg::kIconClipboard);
}

void TIcon::SaveClipboard(uint16_t&, std::vector<uint8_t>&, gdi::HPALETTE&) {
    throw EInvalidGraphicOperation(msg::kIconClipboard);
}

}  // namespace vardel
