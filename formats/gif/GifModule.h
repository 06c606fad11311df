// Start-up and shutdown of the GIF module: its row in the picture container's
// registry, its clipboard format, and the extension registries.
#pragma once

#include <atomic>
#include <cstdint>

namespace vardel {

// Module switches. RenderOnLoad (off) makes every frame build its bitmap as soon as
// its pixels are decoded. PaletteDisplay, set by StartGifModule, says whether the
// screen shows at most 8 bits per pixel, where frames are dithered.
extern std::atomic<bool> RenderOnLoad;
extern std::atomic<bool> PaletteDisplay;

// Registers "GIF" ("GIF Image") for TGIFImage and the clipboard format "GIF Image",
// and sets PaletteDisplay.
void StartGifModule();
// Frees the extension registries and removes TGIFImage from the picture registries.
void StopGifModule();
// The clipboard format number registered under "GIF Image".
uint16_t GIFClipboardFormat();

}  // namespace vardel
