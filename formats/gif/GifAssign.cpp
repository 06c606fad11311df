// Copying one GIF image into another, as a picture does when it is assigned a GIF.
#include <vector>

#include "formats/gif/GifImage.h"

namespace vardel {

namespace {

void CopyMap(const TGIFColorMap& from, TGIFColorMap& to) {
    to.Clear();
    for (const TGIFColor& color : from.Entries()) to.Add(color);
    to.SortedFlag = from.SortedFlag;
}

// An extension is copied through its own bytes: every kind writes what it reads.
std::unique_ptr<TGIFExtension> CopyExtension(const TGIFExtension& from, TGIFSubImage& frame) {
    std::unique_ptr<TGIFExtension> copy = from.ClassType().create(frame);
    if (&from.ClassType() == &TGIFApplicationExtension::ClassInfo()) {
        // The plain application block has no reader for its data; its identifier is
        // all that it holds.
        static_cast<TGIFApplicationExtension&>(*copy).Identifier =
            static_cast<const TGIFApplicationExtension&>(from).Identifier;
        return copy;
    }
    TMemoryStream bytes;
    from.SaveToStream(bytes);
    bytes.SetPosition(0);
    copy->LoadFromStream(bytes);
    return copy;
}

std::unique_ptr<TGIFSubImage> CopyFrame(const TGIFSubImage& from, TGIFImage* image) {
    auto copy = std::make_unique<TGIFSubImage>(image);
    for (const auto& extension : from.Extensions().Items())
        copy->Extensions().Add(CopyExtension(*extension, *copy));
    CopyMap(from.LocalColorMap(), copy->LocalColorMap());
    copy->Separator = from.Separator;
    copy->Left = from.Left;
    copy->Top = from.Top;
    copy->Width = from.Width;
    copy->Height = from.Height;
    copy->FrameFlags = from.FrameFlags;
    copy->IsTransparent = from.IsTransparent;
    copy->CopyPixels(from);
    return copy;
}

}  // namespace

void TGIFImage::Assign(const TPersistent* source) {
    if (source == this) return;
    if (!source) {
        Clear();
        NotifyChanged(this);
        return;
    }
    const auto* other = dynamic_cast<const TGIFImage*>(source);
    if (!other) {
        TGraphic::Assign(source);
        return;
    }
    // The copies are made first, so that a failure leaves this image as it was.
    std::vector<std::unique_ptr<TGIFSubImage>> frames;
    for (const auto& frame : other->Frames().Items()) frames.push_back(CopyFrame(*frame, this));
    Clear();
    const TGIFHeader& header = other->Header();
    header_.ScreenWidth = header.ScreenWidth;
    header_.ScreenHeight = header.ScreenHeight;
    header_.ScreenFlags = header.ScreenFlags;
    header_.BackgroundIndex = header.BackgroundIndex;
    header_.AspectRatio = header.AspectRatio;
    CopyMap(header.GlobalColorMap(), header_.GlobalColorMap());
    for (auto& frame : frames) frames_.Add(std::move(frame));
    PaintOptions = other->PaintOptions;
    PainterPriority = other->PainterPriority;
    AnimationSpeedPercent = other->AnimationSpeedPercent;
    BackgroundOverride = other->BackgroundOverride;
    NotifyChanged(this);
}

}  // namespace vardel
