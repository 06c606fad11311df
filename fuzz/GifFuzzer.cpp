// The GIF reader's fuzz entries.
#include <vector>

#include "formats/gif/GifException.h"
#include "formats/gif/GifImage.h"
#include "fuzz/FuzzTargets.h"
#include "graphics/Bitmap.h"
#include "platform/runtime/Exceptions.h"

namespace vardel::fuzz {

namespace {

struct TFrame {
    int width, height;
    std::vector<uint8_t> pixels;
    bool operator==(const TFrame&) const = default;
};

std::vector<TFrame> FramesWithPixels(const TGIFImage& image) {
    std::vector<TFrame> frames;
    for (const auto& frame : image.Frames().Items())
        if (!frame->Empty()) frames.push_back({frame->Width, frame->Height, frame->Pixels});
    return frames;
}

bool Load(TGIFImage& image, const uint8_t* data, size_t size) {
    try {
        TReadOnlyMemoryStream in(data, size);
        image.LoadStream(in);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

void FuzzGif(const uint8_t* data, size_t size) {
    TGIFImage image;
    if (!Load(image, data, size) || image.IsEmpty()) return;
    try {
        TBitmap target;
        target.SetSize(16, 16);
        target.Surface().DrawGraphic(0, 0, &image);
    } catch (const Exception&) {
    }
    try {
        TMemoryStream out;
        image.SaveStream(out);
    } catch (const Exception&) {
    }
}

void FuzzGifRoundTrip(const uint8_t* data, size_t size) {
    TGIFImage image;
    if (!Load(image, data, size)) return;
    TMemoryStream first;
    try {
        image.SaveStream(first);
    } catch (const GIFException&) {
        return;  // no frames, or indices beyond the colour maps
    }
    TGIFImage again;
    first.SetPosition(0);
    again.LoadStream(first);  // what this writer wrote must load
    if (FramesWithPixels(again) != FramesWithPixels(image)) __builtin_trap();
    // Frames without area or extensions write nothing, so the image may now be empty.
    // A frame that wrote nothing may still have held a colour map, which the header's
    // flags and the others' code sizes and colour limits counted; without it the
    // second writing differs or refuses indices, as the writing rules have it.
    if (again.IsEmpty()) return;
    for (const auto& frame : image.Frames().Items())
        if (frame->Empty() && frame->LocalColorMap().Count() > 0) return;
    // A file of this writer is written again byte for byte.
    TMemoryStream second;
    again.SaveStream(second);
    if (second.Bytes() != first.Bytes()) __builtin_trap();
}

}  // namespace vardel::fuzz
