// Loads any bytes as a GIF picture, saves what loaded and loads that again: the
// frames with pixels must keep their sizes and indices, and a second save must
// give the same bytes as the first.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/gif/GifException.h"
#include "formats/gif/GifImage.h"

namespace {

struct TFrame {
    int width, height;
    std::vector<uint8_t> pixels;
    bool operator==(const TFrame&) const = default;
};

std::vector<TFrame> FramesWithPixels(const vardel::TGIFImage& image) {
    std::vector<TFrame> frames;
    for (const auto& frame : image.Frames().Items())
        if (!frame->Empty()) frames.push_back({frame->Width, frame->Height, frame->Pixels});
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vardel::TGIFImage image;
    vardel::TReadOnlyMemoryStream input(data, size);
    try {
        image.LoadStream(input);
    } catch (const vardel::Exception&) {
        return 0;
    }
    vardel::TMemoryStream first;
    try {
        image.SaveStream(first);
    } catch (const vardel::GIFException&) {
        return 0;  // no frames, or indices beyond the colour maps
    }
    vardel::TGIFImage again;
    first.SetPosition(0);
    again.LoadStream(first);  // must not fail
    if (FramesWithPixels(again) != FramesWithPixels(image)) __builtin_trap();
    // Frames without area or extensions write nothing, so the image may now be empty.
    if (again.IsEmpty()) return 0;
    vardel::TMemoryStream second;
    again.SaveStream(second);
    if (second.Bytes() != first.Bytes()) __builtin_trap();
    return 0;
}
