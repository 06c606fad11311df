// The colour table that a decoded TIFF bitmap gets: 256 levels per channel, each
// 0..255, set up by the reader of each image kind before its pixels are handed over.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "formats/tiff/ReadTiffTags.h"

namespace vardel {

struct TColorTable {
    std::array<uint16_t, 256> red{};
    std::array<uint16_t, 256> green{};
    std::array<uint16_t, 256> blue{};

    void Set(size_t index, uint16_t level) { red[index] = green[index] = blue[index] = level; }
};

// PhotometricInterpretation values.
inline constexpr uint32_t kWhiteIsZero = 0;
inline constexpr uint32_t kBlackIsZero = 1;
inline constexpr uint32_t kRgb = 2;
inline constexpr uint32_t kPalette = 3;

// The grey ramp: entry i is level i.
void ResetColorTable(TColorTable& table);
// Entries 0 and 1 black and white in the order the photometric value gives.
void SetBilevelColors(TColorTable& table, uint32_t photometric);
// The grey levels of a 4- or 8-bit image, running from white to black for WhiteIsZero.
void SetGrayLevels(TColorTable& table, uint32_t bits, uint32_t photometric);
// The directory's ColorMap (count values at its offset): the high byte of each 16-bit
// level for the first count div 3 entries; the rest keep the grey ramp. A count
// outside 3..768 or a map cut short by the end of the file leaves the grey ramp.
void LoadColorMap(TColorTable& table, const std::string& fileName, const TGraphicTiff& directory,
                  const TTiffTagEntry& colorMap);

}  // namespace vardel
