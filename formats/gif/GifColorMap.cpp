#include "formats/gif/GifColorMap.h"

#include <array>

#include "formats/gif/GifException.h"
#include "formats/gif/GifItem.h"
#include "formats/gif/GifStreamIO.h"

namespace vardel {

int ColorMapBits(int count) {
    if (count <= 0) return 0;
    int bits = 1;
    while ((1 << bits) < count) ++bits;
    return bits;
}

TColor TGIFColorMap::Color(int index) const {
    const TGIFColor& c = Entry(index);
    return static_cast<TColor>(c.red | (c.green << 8) | (c.blue << 16));
}

void TGIFColorMap::Clear() {
    entries_.clear();
    entries_.shrink_to_fit();
}

void TGIFColorMap::Grow(size_t needed) {
    if (needed <= entries_.capacity()) return;
    size_t capacity = needed <= 16 ? 16 : (needed + 31) / 32 * 32;
    if (capacity > kMaxColors) capacity = kMaxColors;
    entries_.reserve(capacity);
}

int TGIFColorMap::Add(const TGIFColor& color) {
    if (Count() >= kMaxColors) throw EInvalidGraphicOperation("Color table is full");
    Grow(entries_.size() + 1);
    entries_.push_back(color);
    return Count() - 1;
}

void TGIFColorMap::LoadFromStream(TStream& stream, int count) {
    std::array<uint8_t, 3 * kMaxColors> bytes;
    if (count < 0 || count > kMaxColors) throw GIFException(gifmsg::kInvalidData);
    ReadExact(stream, bytes.data(), 3 * static_cast<size_t>(count));
    entries_.clear();
    Grow(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        entries_.push_back({bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]});
}

void TGIFColorMap::SaveToStream(TStream& stream) const {
    if (entries_.empty()) return;
    const size_t padded = size_t{1} << BitsPerPixel();
    std::vector<uint8_t> bytes(3 * padded, 0);
    for (size_t i = 0; i < entries_.size(); ++i) {
        bytes[3 * i] = entries_[i].red;
        bytes[3 * i + 1] = entries_[i].green;
        bytes[3 * i + 2] = entries_[i].blue;
    }
    stream.WriteBuffer(bytes.data(), bytes.size());
}

void TGIFGlobalColorMap::ReportWarning(int severity, std::string_view message) {
    header_.ReportWarning(severity, message);
}

void TGIFLocalColorMap::ReportWarning(int severity, std::string_view message) {
    frame_.ReportWarning(severity, message);
}

}  // namespace vardel
