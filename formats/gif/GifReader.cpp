// Reading a GIF stream into the object model, block by block.
#include <algorithm>
#include <cctype>

#include "formats/gif/GifException.h"
#include "formats/gif/GifImage.h"
#include "formats/gif/GifLzwDecoder.h"
#include "formats/gif/GifModule.h"
#include "formats/gif/GifStreamIO.h"
#include "platform/runtime/ByteOrder.h"
#include "platform/runtime/MemoryBudget.h"

namespace vardel {

namespace {

constexpr const char* kLoading = "Loading...";

bool IsSignature(const uint8_t* bytes) {
    return std::toupper(bytes[0]) == 'G' && std::toupper(bytes[1]) == 'I' &&
           std::toupper(bytes[2]) == 'F';
}

// Colours of a map whose presence and size a flags byte gives.
int MapColors(uint8_t flags) {
    return 2 << (flags & 7);
}

// The next byte that is not a zero, or -1 at the end of the stream.
int NextBlockByte(TStream& stream) {
    int b;
    do {
        b = stream.ReadByte();
    } while (b == 0);
    return b;
}

}  // namespace

void TGIFImage::LoadStream(TStream& stream) {
    const gdi::RECT none{};
    Progress(this, TProgressStage::psStarting, 0, false, none, kLoading);
    try {
        Clear();
        const int64_t start = stream.Position();
        try {
            header_.LoadFromStream(stream);
            frames_.LoadFromStream(stream);
            TGIFTrailer(this).LoadFromStream(stream);
        } catch (...) {
            // Frames read before the failure stay; the stream goes back to the start.
            stream.SetPosition(start);
            throw;
        }
    } catch (...) {
        Progress(this, TProgressStage::psEnding, 0, true, none, kLoading);
        throw;
    }
    Progress(this, TProgressStage::psEnding, 100, true, none, kLoading);
}

void TGIFHeader::LoadFromStream(TStream& stream) {
    const int64_t start = stream.Position();
    uint8_t signature[6];
    ReadExact(stream, signature, sizeof signature);
    if (!IsSignature(signature)) {
        // Some files carry a 4-byte prefix in front of the signature.
        stream.SetPosition(start + 4);
        ReadExact(stream, signature, sizeof signature);
        if (!IsSignature(signature)) throw GIFException(gifmsg::kInvalidSignature);
    }
    // The version is not examined: 87a, 89a and anything else read alike.
    uint8_t screen[7];
    ReadExact(stream, screen, sizeof screen);
    ScreenWidth = LoadLe16(screen);
    ScreenHeight = LoadLe16(screen + 2);
    ScreenFlags = screen[4];
    BackgroundIndex = screen[5];
    AspectRatio = screen[6];
    if (ScreenFlags & kGlobalMapFlag) {
        const int colors = MapColors(ScreenFlags);
        if (colors < 2 || colors > TGIFColorMap::kMaxColors)
            throw GIFException(gifmsg::kScreenColors);
        globalColorMap_.LoadFromStream(stream, colors);
    } else {
        globalColorMap_.Clear();
    }
}

void TGIFImageList::LoadFromStream(TStream& stream) {
    // All frames of one image together stay within the limit for one picture, so a
    // small file cannot ask for many huge frames.
    uint64_t pixelBytes = 0;
    for (const auto& frame : Items()) pixelBytes += frame->PixelsSize();

    for (int b = NextBlockByte(stream); b >= 0; b = NextBlockByte(stream)) {
        StepBack(stream);
        if (b == kTrailer) return;
        if (b != kExtensionIntroducer && b != kImageSeparator) {
            ReportWarning(kGIFWarningSeverity, gifmsg::kUnknownBlock);
            return;
        }
        auto frame = std::make_unique<TGIFSubImage>(Image());
        frame->LoadFromStream(stream, pixelBytes);
        pixelBytes += frame->PixelsSize();
        Add(std::move(frame));
        if (TGIFImage* image = Image()) {
            const int64_t size = std::max<int64_t>(stream.Size(), 1);
            const int64_t percent = std::clamp<int64_t>(stream.Position() * 100 / size, 0, 100);
            image->Progress(this, TProgressStage::psRunning, static_cast<uint8_t>(percent),
                            RenderOnLoad.load(), gdi::RECT{}, kLoading);
        }
    }
}

void TGIFSubImage::LoadFromStream(TStream& stream) {
    LoadFromStream(stream, 0);
}

void TGIFSubImage::LoadFromStream(TStream& stream, uint64_t pixelBytesBefore) {
    Clear();
    extensions_.LoadFromStream(stream);
    const int next = stream.ReadByte();
    if (next < 0) return;
    StepBack(stream);
    // Extensions with no image after them make a frame of their own.
    if (next == kTrailer || next == 0) return;

    uint8_t descriptor[10];
    ReadExact(stream, descriptor, sizeof descriptor);
    Separator = descriptor[0];  // not checked: the extension list stopped here
    Left = LoadLe16(descriptor + 1);
    Top = LoadLe16(descriptor + 3);
    Width = LoadLe16(descriptor + 5);
    Height = LoadLe16(descriptor + 7);
    FrameFlags = descriptor[9];
    if (Width == 0 || Height == 0) {
        const TGIFImage* image = Image();
        Height = image ? image->Header().ScreenHeight : 0;
        Width = image ? image->Header().ScreenWidth : 0;
        ReportWarning(kGIFWarningSeverity, gifmsg::kFrameSize);
    }
    if (FrameFlags & kLocalMapFlag) {
        const int colors = MapColors(FrameFlags);
        if (colors < 2 || colors > TGIFColorMap::kMaxColors)
            throw GIFException(gifmsg::kImageColors);
        localColorMap_.LoadFromStream(stream, colors);
    }
    DecodePixels(stream, pixelBytesBefore);
    if (RenderOnLoad)
        if (TGIFImage* image = Image()) image->GetFrameBitmap(*this);
}

void TGIFSubImage::DecodePixels(TStream& stream, uint64_t pixelBytesBefore) {
    Pixels.clear();
    Pixels.shrink_to_fit();
    pixelsCharge_.Release();
    const uint64_t count = uint64_t{Width} * Height;
    // The frames of one picture together stay within the limit for one picture.
    if (pixelBytesBefore + count > kMaxPictureBytes) throw EOutOfMemory(msg::kOutOfMemory);
    pixelsCharge_ = TMemoryCharge(count);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // A fuzzer tries thousands of inputs a second; frames of hundreds of megabytes
    // would only spend that time filling memory.
    if (pixelBytesBefore + count > (uint64_t{2} << 20)) throw EOutOfMemory(msg::kOutOfMemory);
#endif
    // Pixels that the data does not reach show the transparent colour when there is
    // one, else index 0.
    const TGIFGraphicControlExtension* control = GraphicControl();
    const uint8_t fill = IsTransparent && control ? control->TransparentColorIndex : 0;
    Pixels.resize(count);
    TGIFLZWDecoder decoder(
        [this](const char* message) { ReportWarning(kGIFWarningSeverity, message); });
    decoder.DecodePixels(stream, Pixels.data(), Width, Height, Interlaced(), fill);
}

void TGIFExtensionList::LoadFromStream(TStream& stream) {
    int b = stream.ReadByte();
    if (b < 0) return;
    while (b != kImageSeparator && b != kTrailer) {
        if (b != kExtensionIntroducer) {
            ReportWarning(kGIFWarningSeverity, gifmsg::kBadIntroducer);
            StepBack(stream);
            return;
        }
        const TGIFExtensionClass* kind = IdentifyExtension(stream);
        if (!kind) throw GIFException(gifmsg::kUnknownExtension);
        StepBack(stream);
        std::unique_ptr<TGIFExtension> extension = kind->create(frame_);
        extension->LoadFromStream(stream);
        Add(std::move(extension));
        b = stream.ReadByte();
        if (b < 0) return;
    }
    StepBack(stream);
}

void TGIFTrailer::LoadFromStream(TStream& stream) {
    const int b = stream.ReadByte();
    if (b >= 0 && b != kTrailer) ReportWarning(kGIFWarningSeverity, gifmsg::kBadTrailer);
}

}  // namespace vardel
