#include "formats/tiff/TiffColorTable.h"

#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Streams.h"

namespace vardel {

void ResetColorTable(TColorTable& table) {
    for (size_t i = 0; i < 256; ++i) table.Set(i, static_cast<uint16_t>(i));
}

void SetBilevelColors(TColorTable& table, uint32_t photometric) {
    ResetColorTable(table);
    const bool blackIsZero = photometric == kBlackIsZero;
    table.Set(0, blackIsZero ? 0 : 255);
    table.Set(1, blackIsZero ? 255 : 0);
}

void SetGrayLevels(TColorTable& table, uint32_t bits, uint32_t photometric) {
    ResetColorTable(table);
    const size_t levels = bits == 4 ? 16 : 256;
    for (size_t i = 0; i < levels; ++i) {
        const auto level = static_cast<uint16_t>(i * 255 / (levels - 1));
        // WhiteIsZero counts from white: 0 is white and the largest value black.
        table.Set(i, photometric == kWhiteIsZero ? 255 - level : level);
    }
}

void LoadColorMap(TColorTable& table, const std::string& fileName, const TGraphicTiff& directory,
                  const TTiffTagEntry& colorMap) {
    ResetColorTable(table);
    const uint32_t n = colorMap.count / 3;
    if (n < 1 || n > 256) return;
    std::vector<uint32_t> levels;
    try {
        TFileStream file(fileName, FileMode::OpenRead);
        levels = directory.Values(file, colorMap, 3 * n);
    } catch (const EFOpenError&) {
        return;
    }
    if (levels.size() != 3 * n) return;
    // TIFF keeps all reds, then all greens, then all blues, each level 16 bits wide.
    for (uint32_t i = 0; i < n; ++i) {
        table.red[i] = static_cast<uint16_t>((levels[i] >> 8) & 0xFF);
        table.green[i] = static_cast<uint16_t>((levels[n + i] >> 8) & 0xFF);
        table.blue[i] = static_cast<uint16_t>((levels[2 * n + i] >> 8) & 0xFF);
    }
}

}  // namespace vardel
