// The GIF reader's fuzz entries.
#include <vector>

#include "formats/gif/GifException.h"
#include "formats/gif/GifImage.h"
#include "formats/gif/GifModule.h"
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

// The display at 8 bits per pixel, where frames are dithered, while it lives.
class TPaletteDisplay {
  public:
    explicit TPaletteDisplay(bool on) : on_(on) {
        if (!on_) return;
        gdi::SetDisplayBitsPerPixel(8);
        PaletteDisplay = true;
    }
    ~TPaletteDisplay() {
        if (!on_) return;
        gdi::SetDisplayBitsPerPixel(32);
        PaletteDisplay = false;
    }

  private:
    bool on_;
};

// Draws the first frame, then plays the whole animation once onto the composite, on
// this thread and on a clock that moves only when the painter waits.
void Draw(TGIFImage& image, uint8_t mode) {
    TPaletteDisplay display(mode & 1);
    uint32_t now = 0;
    image.PainterTiming.Now = [&now] { return now; };
    image.PainterTiming.Sleep = [&now](uint32_t milliseconds) { now += milliseconds; };
    TGIFPaintOptions options = kDefaultPaintOptions & ~(poThreaded | poLoop);
    if (mode & 2) options |= poTile;
    if (mode & 4) options &= ~poTransparent;
    if (mode & 8) options |= poClearOnLoop;
    TBitmap target;
    target.SetSize(16, 16);
    try {
        image.PaintOptions = options & ~poAnimate;
        target.Surface().DrawGraphicStretched({-3, -2, 13, 14}, &image);
    } catch (const Exception&) {
    }
    // Every frame copies the screen once or twice: big screens with many frames
    // would only spend the fuzzer's time.
    const uint64_t screen = uint64_t(image.Width()) * uint64_t(image.Height());
    if (screen * uint64_t(image.Frames().Count()) > (uint64_t{8} << 20)) return;
    try {
        image.PaintOptions = options;
        target.Surface().DrawGraphic(0, 0, &image);
    } catch (const Exception&) {
    }
}

}  // namespace

// The last byte of the input chooses how it is drawn: bit 0 on a palette display,
// bit 1 tiled, bit 2 without transparency, bit 3 clearing on loop.
void FuzzGif(const uint8_t* data, size_t size) {
    TGIFImage image;
    if (!Load(image, data, size) || image.IsEmpty()) return;
    Draw(image, size ? data[size - 1] : 0);
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
