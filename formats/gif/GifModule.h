// Start-up and shutdown of the GIF module: its row in the picture container's
// registry, its clipboard format, and the extension registries.
#pragma once

#include <cstdint>

namespace vardel {

// Registers "GIF" ("GIF Image") for TGIFImage and the clipboard format "GIF Image".
void StartGifModule();
// Frees the extension registries and removes TGIFImage from the picture registries.
void StopGifModule();
// The clipboard format number registered under "GIF Image".
uint16_t GIFClipboardFormat();

}  // namespace vardel
