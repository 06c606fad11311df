// Writing the object model back as a GIF stream. Nothing is optimised or
// re-coloured on the way; the flags that describe colour maps are recomputed from
// the maps themselves.
#include <algorithm>

#include "formats/gif/GifException.h"
#include "formats/gif/GifImage.h"
#include "formats/gif/GifLzwEncoder.h"
#include "formats/gif/GifStreamIO.h"

namespace vardel {

namespace {

constexpr const char* kSaving = "Saving...";

// The bit count of the largest local map of any frame.
int LargestLocalBits(const TGIFImage& image) {
    int bits = 0;
    for (const auto& frame : image.Frames().Items())
        bits = std::max(bits, frame->LocalColorMap().BitsPerPixel());
    return bits;
}

// count x 100 / total, rounded to the nearest.
uint8_t Percent(int count, int total) {
    return static_cast<uint8_t>((int64_t{count} * 200 + total) / (int64_t{total} * 2));
}

}  // namespace

void TGIFImage::SaveStream(TStream& stream) {
    const gdi::RECT none{};
    Progress(this, TProgressStage::psStarting, 0, false, none, kSaving);
    try {
        header_.SaveToStream(stream);
        frames_.SaveToStream(stream);
        TGIFTrailer(this).SaveToStream(stream);
    } catch (...) {
        Progress(this, TProgressStage::psEnding, 0, true, none, kSaving);
        throw;
    }
    Progress(this, TProgressStage::psEnding, 100, true, none, kSaving);
}

void TGIFHeader::SaveToStream(TStream& stream) const {
    const TGIFImage* image = Image();
    const TGIFVersion version = image ? image->Version() : TGIFVersion::gvUnknown;
    if (version == TGIFVersion::gvUnknown) throw GIFException(gifmsg::kUnsupportedVersion);
    stream.WriteBuffer(version == TGIFVersion::gv87a ? "GIF87a" : "GIF89a", 6);

    const int globalBits = globalColorMap_.BitsPerPixel();
    const int localBits = LargestLocalBits(*image);
    uint8_t flags = 0;
    if (globalColorMap_.Count() > 0) {
        flags |= kGlobalMapFlag;
        if (globalColorMap_.SortedFlag) flags |= kSortFlag;
    }
    // Colour resolution: the deepest map, less one. Without any map this is -1,
    // whose low bits give 7, as other writers of the format do.
    const int resolution = std::max(globalBits, localBits) - 1;
    flags |= static_cast<uint8_t>((resolution * 16) & 0x70);
    const int sizeField = globalColorMap_.Count() > 0 ? globalBits - 1 : localBits - 1;
    flags |= static_cast<uint8_t>(sizeField & 7);

    WriteWord(stream, ScreenWidth);
    WriteWord(stream, ScreenHeight);
    WriteByte(stream, flags);
    WriteByte(stream, BackgroundIndex);
    WriteByte(stream, AspectRatio);
    if (flags & kGlobalMapFlag) globalColorMap_.SaveToStream(stream);
}

void TGIFImageList::SaveToStream(TStream& stream) {
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        (*this)[i].SaveToStream(stream);
        if (TGIFImage* image = Image())
            image->Progress(this, TProgressStage::psRunning, Percent(i + 1, count), false,
                            gdi::RECT{}, kSaving);
    }
}

void TGIFExtensionList::SaveToStream(TStream& stream) const {
    for (const auto& extension : Items()) extension->SaveToStream(stream);
}

void TGIFSubImage::SaveToStream(TStream& stream) const {
    extensions_.SaveToStream(stream);
    if (Empty()) return;
    if (Pixels.size() < size_t{Width} * Height) throw GIFException(gifmsg::kInvalidDimensions);

    const bool hasLocalMap = localColorMap_.Count() > 0;
    uint8_t flags;
    if (hasLocalMap) {
        flags = kLocalMapFlag | ((localColorMap_.BitsPerPixel() - 1) & 7);
        if (localColorMap_.SortedFlag) flags |= kSortFlag;
    } else {
        flags = FrameFlags & 0x58;  // interlace and the two reserved bits stay
    }
    // The reader keeps whatever byte stood where the separator belongs; writing it
    // back would make the frame unreadable, so the separator is always the real one.
    WriteByte(stream, kImageSeparator);
    WriteWord(stream, Left);
    WriteWord(stream, Top);
    WriteWord(stream, Width);
    WriteWord(stream, Height);
    WriteByte(stream, flags);
    localColorMap_.SaveToStream(stream);

    int bits;
    int colorLimit;
    if (hasLocalMap) {
        bits = localColorMap_.BitsPerPixel();
        colorLimit = localColorMap_.Count();
    } else {
        const TGIFImage* image = Image();
        bits = image ? std::max(image->Header().GlobalColorMap().BitsPerPixel(),
                                LargestLocalBits(*image))
                     : 0;
        colorLimit = 1 << bits;
    }
    TLZWEncoder encoder;
    encoder.Encode(stream, bits, colorLimit, Pixels.data(), flags & kInterlaceFlag, Height, Width);
}

void TGIFTrailer::SaveToStream(TStream& stream) const {
    WriteByte(stream, kTrailer);
}

}  // namespace vardel
