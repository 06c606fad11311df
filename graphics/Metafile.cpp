#include "graphics/Metafile.h"

#include <cctype>
#include <cmath>

#include "graphics/Canvas.h"
#include "platform/runtime/ByteOrder.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Files.h"

namespace vardel {

VARDEL_DEFINE_GRAPHIC_CLASS(TMetafile, TGraphic)

namespace {
constexpr uint32_t kEnhancedSignature = 0x464D4520;
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22, kEnhancedHeader = 100;
constexpr int kScreenInch = 96, kHundredthsPerInch = 2540, kTwipsPerInch = 1440;

int RoundDiv(int64_t a, int64_t b) {
    return static_cast<int>(std::llround(static_cast<double>(a) / b));
}
}  // namespace

void TMetafile::LoadStream(TStream& stream) {
    const int64_t remaining = stream.Size() - stream.Position();
    uint8_t head[kEnhancedHeader] = {};
    if (remaining > static_cast<int64_t>(kEnhancedHeader)) {
        const int64_t at = stream.Position();
        stream.ReadBuffer(head, kEnhancedHeader);
        if (LoadLe32(head) == 1 && LoadLe32(head + 40) == kEnhancedSignature) {
            const uint32_t total = LoadLe32(head + 48);
            if (total < kEnhancedHeader) throw EInvalidGraphic(msg::kMetafileInvalid);
            std::vector<uint8_t> bytes(head, head + kEnhancedHeader);
            if (total > remaining) throw EReadError(msg::kStreamRead);
            bytes.resize(total);
            stream.ReadBuffer(bytes.data() + kEnhancedHeader, total - kEnhancedHeader);
            // The frame rectangle, in 0.01 mm; a frame whose sides do not fit in 32
            // bits describes no picture that could ever be drawn.
            const int64_t width = int64_t{static_cast<int32_t>(LoadLe32(head + 32))} -
                                  static_cast<int32_t>(LoadLe32(head + 24));
            const int64_t height = int64_t{static_cast<int32_t>(LoadLe32(head + 36))} -
                                   static_cast<int32_t>(LoadLe32(head + 28));
            if (width < INT32_MIN || width > INT32_MAX || height < INT32_MIN || height > INT32_MAX)
                throw EInvalidGraphic(msg::kMetafileInvalid);
            gdi::HENHMETAFILE handle = gdi::SetEnhMetaFileBits(bytes.data(), bytes.size());
            if (!handle) throw EInvalidGraphic(msg::kMetafileInvalid);
            mmWidth_ = static_cast<int32_t>(width);
            mmHeight_ = static_cast<int32_t>(height);
            handle_ = handle;
            enhanced_ = true;
            inch_ = 0;
            placeableBox_ = frame_ = {};
            NotifyChanged(this);
            return;
        }
        stream.SetPosition(at);
    }
    // Otherwise a Windows metafile behind its placeable header.
    if (remaining < static_cast<int64_t>(kPlaceableSize))
        throw EInvalidGraphic(msg::kMetafileInvalid);
    uint8_t p[kPlaceableSize];
    stream.ReadBuffer(p, kPlaceableSize);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= LoadLe16(p + 2 * i);
    if (LoadLe32(p) != kPlaceableKey || LoadLe16(p + 20) != sum)
        throw EInvalidGraphic(msg::kMetafileInvalid);
    std::vector<uint8_t> bytes(static_cast<size_t>(remaining) - kPlaceableSize);
    stream.ReadBuffer(bytes.data(), bytes.size());
    gdi::HENHMETAFILE handle = gdi::SetWinMetaFileBits(bytes.data(), bytes.size());
    if (!handle) throw EInvalidGraphic(msg::kMetafileInvalid);
    const auto left = static_cast<int16_t>(LoadLe16(p + 6)),
               top = static_cast<int16_t>(LoadLe16(p + 8));
    const auto right = static_cast<int16_t>(LoadLe16(p + 10)),
               bottom = static_cast<int16_t>(LoadLe16(p + 12));
    const int inch = LoadLe16(p + 14) ? LoadLe16(p + 14) : kScreenInch;
    mmWidth_ = RoundDiv(int64_t{right - left} * kHundredthsPerInch, inch);
    mmHeight_ = RoundDiv(int64_t{bottom - top} * kHundredthsPerInch, inch);
    placeableBox_ = {left, top, right, bottom};
    frame_ = placeableBox_;
    inch_ = inch;
    handle_ = handle;
    enhanced_ = false;
    NotifyChanged(this);
}

void TMetafile::WriteForm(TStream& stream, bool enhanced) {
    if (!handle_) return;
    if (enhanced) {
        const std::vector<uint8_t> bytes = gdi::GetEnhMetaFileBits(handle_);
        stream.WriteBuffer(bytes.data(), bytes.size());
        return;
    }
    // Without a box of its own the size is written in twips, fine enough to come back
    // to the same hundredths of a millimetre.
    const int inch = inch_ ? inch_ : kTwipsPerInch;
    gdi::RECT box = placeableBox_;
    if (box.Width() == 0 && box.Height() == 0)
        box = {0, 0, RoundDiv(int64_t{mmWidth_} * inch, kHundredthsPerInch),
               RoundDiv(int64_t{mmHeight_} * inch, kHundredthsPerInch)};
    uint8_t p[kPlaceableSize] = {};
    p[0] = 0xD7, p[1] = 0xCD, p[2] = 0xC6, p[3] = 0x9A;
    StoreLe16(p + 6, static_cast<uint16_t>(box.left));
    StoreLe16(p + 8, static_cast<uint16_t>(box.top));
    StoreLe16(p + 10, static_cast<uint16_t>(box.right));
    StoreLe16(p + 12, static_cast<uint16_t>(box.bottom));
    StoreLe16(p + 14, static_cast<uint16_t>(inch));
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= LoadLe16(p + 2 * i);
    StoreLe16(p + 20, sum);
    stream.WriteBuffer(p, kPlaceableSize);
    const std::vector<uint8_t> bytes = gdi::GetWinMetaFileBits(handle_);
    stream.WriteBuffer(bytes.data(), bytes.size());
}

void TMetafile::SaveStream(TStream& stream) {
    WriteForm(stream, enhanced_);
}

void TMetafile::SaveFile(std::string_view fileName) {
    std::string extension = ExtensionOf(fileName);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    TFileStream stream(fileName, FileMode::Create);
    WriteForm(stream, extension == "wmf" ? false : enhanced_);
    stream.Flush();
}

int TMetafile::Width() const {
    return RoundDiv(int64_t{mmWidth_} * kScreenInch, kHundredthsPerInch);
}
int TMetafile::Height() const {
    return RoundDiv(int64_t{mmHeight_} * kScreenInch, kHundredthsPerInch);
}

void TMetafile::SetWidth(int value) {
    const int mm = RoundDiv(int64_t{value} * kHundredthsPerInch, kScreenInch);
    if (mm == mmWidth_) return;
    mmWidth_ = mm;
    placeableBox_ = {};
    NotifyChanged(this);
}

void TMetafile::SetHeight(int value) {
    const int mm = RoundDiv(int64_t{value} * kHundredthsPerInch, kScreenInch);
    if (mm == mmHeight_) return;
    mmHeight_ = mm;
    placeableBox_ = {};
    NotifyChanged(this);
}

void TMetafile::Render(TCanvas& canvas, const gdi::RECT& rect) {
    if (!handle_) return;
    const gdi::HDC dc = canvas.DrawingContext();
    if (gdi::IsWinMetaFile(handle_)) {
        // Without a placeable box of its own, the picture's records set their window.
        const gdi::RECT frame =
            frame_.Width() || frame_.Height() ? frame_ : gdi::RECT{0, 0, Width(), Height()};
        gdi::PlayWinMetaFile(dc, handle_, frame, rect);
    } else {
        gdi::PlayEnhMetaFile(dc, handle_, rect);
    }
}

void TMetafile::Assign(const TPersistent* source) {
    if (const auto* other = dynamic_cast<const TMetafile*>(source)) {
        handle_ = other->handle_;
        enhanced_ = other->enhanced_;
        mmWidth_ = other->mmWidth_;
        mmHeight_ = other->mmHeight_;
        inch_ = other->inch_;
        placeableBox_ = other->placeableBox_;
        frame_ = other->frame_;
        NotifyChanged(this);
        return;
    }
    TGraphic::Assign(source);
}

void TMetafile::LoadClipboard(uint16_t format, const std::vector<uint8_t>& data,
                              const gdi::HPALETTE&) {
    gdi::HENHMETAFILE handle = format == 3 ? gdi::SetWinMetaFileBits(data.data(), data.size())
                                           : gdi::SetEnhMetaFileBits(data.data(), data.size());
    if (!handle) throw EInvalidGraphic(msg::kMetafileInvalid);
    handle_ = handle;
    enhanced_ = format != 3;
    NotifyChanged(this);
}

void TMetafile::SaveClipboard(uint16_t& format, std::vector<uint8_t>& data,
                              gdi::HPALETTE& palette) {
    format = 14;  // enhanced metafile
    data = gdi::GetEnhMetaFileBits(handle_);
    palette = nullptr;
}

}  // namespace vardel
