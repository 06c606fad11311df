// Helpers of the rendering and painter tests: images built in memory, surfaces to
// draw on, a clock that the tests move, and pumping the calls that painters hand to
// this (the user-interface) thread.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "formats/gif/GifImage.h"
#include "graphics/Bitmap.h"
#include "tests/MessageOf.h"
#include "tests/gif/GifTestSupport.h"

namespace vardel::giftest {

struct TFrameSpec {
    int left = 0, top = 0, width = 0, height = 0;
    Bytes pixels = {};  // all 1 when empty
    int disposal = -1;  // -1: no graphic control block
    int delay = 0;
    int transparent = -1;  // transparent index, or none
};
TGIFSubImage& AddFrame(TGIFImage& image, const TFrameSpec& spec);
void AddLoopBlock(TGIFSubImage& frame, int count);
// A screen of width x height whose global map holds `colors`.
void SetScreen(TGIFImage& image, int width, int height, const std::vector<TColor>& colors);

// The black, red, green, blue map of ScreenWith4Colors.
inline const std::vector<TColor> kFourColors = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};
inline constexpr TColor kGrey = 0x808080;

// A 32-bit bitmap filled with one colour.
std::unique_ptr<TBitmap> FilledBitmap(int width, int height, TColor fill);
// A surface of the image's size filled with `fill`, the image drawn on it.
std::unique_ptr<TBitmap> Drawn(TGIFImage& image, TColor fill = kGrey);
// Every pixel, rows from the top.
std::vector<TColor> PixelsOf(TBitmap& bitmap);

using test::MessageOf;

// Runs the calls that painter threads hand to this thread until `done` answers
// true. Gives up after a minute, which only a hung painter takes.
bool PumpUntil(const std::function<bool()>& done);
// Draws the image on a surface of `underlay` and collects the composite after each
// frame until the painter has ended.
std::vector<std::vector<TColor>> CompositeAfterEachFrame(TGIFImage& image, TColor underlay);

// Threads of this process now.
int ThreadCount();

// The display at 8 bits per pixel, where frames are dithered, while it lives.
class TPaletteDisplay {
  public:
    TPaletteDisplay();
    ~TPaletteDisplay();
};

// Time that moves only when a painter waits. Threaded waits return at once, except
// the unlimited ones, which wait on the painter's event as usual.
class TFakeClock {
  public:
    TGIFPainterTiming Timing();
    void Advance(uint32_t milliseconds);
    // The waits asked for, in order (sleeps of painters without a thread, or the
    // waits between frames of threaded ones).
    std::vector<uint32_t> Waits() const;

  private:
    mutable std::mutex mutex_;
    uint32_t now_ = 5000;
    std::vector<uint32_t> waits_;
};

}  // namespace vardel::giftest
