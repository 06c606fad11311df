#include "formats/gif/GifImage.h"

#include <algorithm>

#include "formats/gif/GifException.h"
#include "formats/gif/GifModule.h"
#include "formats/gif/GifPainter.h"

namespace vardel {

VARDEL_DEFINE_GRAPHIC_CLASS(TGIFImage, TGraphic)

// --- frames ------------------------------------------------------------------------

TGIFExtensionList::TGIFExtensionList(TGIFSubImage& frame)
    : TGIFList<TGIFExtension>(frame.Image()), frame_(frame) {}

TGIFSubImage::TGIFSubImage(TGIFImage* image)
    : TGIFItem(image), extensions_(*this), localColorMap_(*this) {}

TGIFSubImage::~TGIFSubImage() = default;

void TGIFSubImage::CopyPixels(const TGIFSubImage& from) {
    TMemoryCharge charge(from.Pixels.size());
    Pixels = from.Pixels;
    pixelsCharge_ = std::move(charge);
}

void TGIFSubImage::Clear() {
    extensions_.Clear();
    localColorMap_.Clear();
    Pixels.clear();
    Pixels.shrink_to_fit();
    pixelsCharge_.Release();
    Width = Height = 0;
    IsTransparent = false;
    DropBitmap();
    DropMask();
    // The palette came from the map that is gone.
    framePalette_.reset();
}

TGIFGraphicControlExtension* TGIFSubImage::GraphicControl() const {
    for (const auto& extension : extensions_.Items())
        if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension.get()))
            return control;
    return nullptr;
}

TGIFVersion TGIFSubImage::RequiredVersion() const {
    return localColorMap_.SortedFlag || !extensions_.Empty() ? TGIFVersion::gv89a
                                                             : TGIFVersion::gv87a;
}

// --- the image ---------------------------------------------------------------------

TGIFImage::TGIFImage() : header_(this), frames_(this) {}

TGIFImage::~TGIFImage() {
    StopAllPainters();
    {
        TPainterLock lock(painterMutex_);
        // Painters without a thread only play inside a call that this destruction
        // interrupts (a handler freeing the image); they must not come back to it.
        for (const auto& painter : painters_) painter->ForgetImage();
    }
    endedPainters_.clear();
}

TGIFVersion TGIFImage::Version() const {
    TGIFVersion version = TGIFVersion::gvUnknown;
    for (const auto& frame : frames_.Items()) {
        version = std::max(version, frame->RequiredVersion());
        if (version == TGIFVersion::gv89a) break;
    }
    return version;
}

void TGIFImage::Clear() {
    StopAllPainters();
    cachedPalette_.reset();
    frames_.Clear();
    header_.GlobalColorMap().Clear();
    header_.ScreenWidth = 0;
    header_.ScreenHeight = 0;
}

void TGIFImage::SetWidth(int value) {
    if (value < 0 || value > 0xFFFF) throw GIFException(gifmsg::kInvalidDimensions);
    for (const auto& frame : frames_.Items())
        if (frame->Left + frame->Width > value) throw GIFException(gifmsg::kWidthTooSmall);
    if (value == header_.ScreenWidth) return;
    header_.ScreenWidth = static_cast<uint16_t>(value);
    DropComposite();
    NotifyChanged(this);
}

void TGIFImage::SetHeight(int value) {
    if (value < 0 || value > 0xFFFF) throw GIFException(gifmsg::kInvalidDimensions);
    for (const auto& frame : frames_.Items())
        if (frame->Top + frame->Height > value) throw GIFException(gifmsg::kHeightTooSmall);
    if (value == header_.ScreenHeight) return;
    header_.ScreenHeight = static_cast<uint16_t>(value);
    DropComposite();
    NotifyChanged(this);
}

void TGIFImage::ReportWarning(TObject* sender, int severity, std::string_view message) {
    if (WarningHandler) WarningHandler(sender, severity, std::string(message));
}

void TGIFImage::LoadClipboard(uint16_t, const std::vector<uint8_t>& data, const gdi::HPALETTE&) {
    TReadOnlyMemoryStream stream(data.data(), data.size());
    LoadStream(stream);
}

void TGIFImage::SaveClipboard(uint16_t& format, std::vector<uint8_t>& data,
                              gdi::HPALETTE& palette) {
    TMemoryStream stream;
    SaveStream(stream);
    format = GIFClipboardFormat();
    data = stream.TakeBytes();
    palette = nullptr;
}

}  // namespace vardel
