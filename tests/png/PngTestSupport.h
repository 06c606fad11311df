// Helpers of the PNG tests: files built chunk by chunk, reference pixels from Pillow
// and pypng, and pixel comparisons that include alpha.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "formats/Modules.h"
#include "formats/png/PngImage.h"
#include "tests/MessageOf.h"
#include "tests/TestFiles.h"

namespace vardel::test {

#define REQUIRE_PNG_ORACLES() \
    if (!HavePngOracles())    \
    GTEST_SKIP() << "Pillow (python3-pil) and pypng (python3-png) for /usr/bin/python3 are needed"

bool HavePngOracles();

// One chunk: length, type, data and CRC.
std::vector<uint8_t> Chunk(std::string_view type, const std::vector<uint8_t>& data);

// A PNG made chunk by chunk.
struct TPngFields {
    uint32_t width = 0, height = 0;
    uint8_t depth = 8;
    uint8_t colour = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    uint8_t interlace = 0;
    // Chunks between IHDR and IDAT (PLTE, tRNS, ...), as type and data.
    std::vector<std::pair<std::string, std::vector<uint8_t>>> extra;
    // The scanlines as the file holds them before compression, filter bytes included.
    std::vector<uint8_t> scanlines;
};
std::vector<uint8_t> BuildPng(const TPngFields& fields);
// Scanlines of filter type 0 from rows packed as the colour type and depth say.
std::vector<uint8_t> Unfiltered(const std::vector<std::vector<uint8_t>>& rows);

// A picture as red, green, blue and alpha bytes, rows from the top.
struct TRgba {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
    bool operator==(const TRgba&) const = default;
};
// What png_reference.py writes: width and height as 32-bit little-endian numbers,
// then the pixels.
TRgba ReadRgba(const fs::path& file);
// The PNG references of `files` (Pillow's colours, pypng's alpha) into `dir`, one
// NAME.rgba each.
bool MakeReferences(const fs::path& dir, const std::vector<fs::path>& files);

// The bitmap's pixels: colours as its surface reads them, alpha from the fourth byte
// where the picture has alpha, else 255.
TRgba RgbaOf(TBitmap& bitmap);
// A picture whose pixels run through colours and alpha values, so that no two
// neighbours are alike.
TRgba VariedRgba(uint32_t width, uint32_t height, bool withAlpha);
// An 8-bit RGBA file of the pixels, or an RGB one without their alpha.
std::vector<uint8_t> PngOf(const TRgba& pixels, bool withAlpha);

// Equal sizes and pixels; on failure names the first pixel that differs.
::testing::AssertionResult SameRgba(const TRgba& ours, const TRgba& expected);

// Starts the picture modules for one test and gives it a folder.
class PngTest : public ::testing::Test {
  protected:
    TPictureModules modules_;
    TScratchDir dir_;
};

}  // namespace vardel::test
