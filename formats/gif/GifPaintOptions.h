// How a GIF image draws itself and how its painters play: the paint options and the
// clock that painters time their frames with.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/runtime/Threads.h"

namespace vardel {

// A set of paint options (16 bits).
using TGIFPaintOptions = uint16_t;

// Painters run on their own thread.
inline constexpr TGIFPaintOptions poThreaded = 1 << 0;
// Transparent frames are drawn through their mask.
inline constexpr TGIFPaintOptions poTransparent = 1 << 1;
// Multi-frame images are played by a painter.
inline constexpr TGIFPaintOptions poAnimate = 1 << 2;
// The painter plays the loops that the loop block asks for.
inline constexpr TGIFPaintOptions poLoop = 1 << 3;
// The painter loops whatever the loop count says.
inline constexpr TGIFPaintOptions poLoopForever = 1 << 4;
// The painter stops when its target's context is no longer valid.
inline constexpr TGIFPaintOptions poCheckCanvas = 1 << 5;
// The painter draws on the target surface itself instead of the composite bitmap.
inline constexpr TGIFPaintOptions poDirect = 1 << 6;
// The first frame's area goes back to the background each time the play restarts.
inline constexpr TGIFPaintOptions poClearOnLoop = 1 << 7;
// Frames are repeated over the target rectangle instead of being scaled into it.
inline constexpr TGIFPaintOptions poTile = 1 << 8;
// Frames are rendered through the 216-colour palette with dithering...
inline constexpr TGIFPaintOptions poDither = 1 << 9;
// ...and, with this one too, only on a palette display.
inline constexpr TGIFPaintOptions poAutoDither = 1 << 10;

inline constexpr TGIFPaintOptions kDefaultPaintOptions =
    poThreaded | poTransparent | poAnimate | poLoop | poDither | poAutoDither;

// The painter's view of time. Each member left empty uses the platform: the
// millisecond clock, Sleep, and waiting on the painter's event.
struct TGIFPainterTiming {
    std::function<uint32_t()> Now;
    // Waits of a painter without a thread of its own.
    std::function<void(uint32_t milliseconds)> Sleep;
    // Waits of a threaded painter between frames; kInfinite waits until woken.
    std::function<TWaitResult(TEvent& wake, uint32_t milliseconds)> Wait;
};

}  // namespace vardel
