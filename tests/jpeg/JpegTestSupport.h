// Helpers of the JPEG tests: pictures made by the tests, files encoded and decoded
// by libjpeg-turbo's own cjpeg and djpeg, and pixel comparisons.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/Modules.h"
#include "formats/jpeg/Jpeg.h"
#include "tests/MessageOf.h"
#include "tests/TestFiles.h"

namespace vardel::test {

#define REQUIRE_JPEG_TOOLS() \
    if (!HaveJpegTools()) GTEST_SKIP() << "cjpeg/djpeg (libjpeg-turbo-progs) not installed"

bool HaveJpegTools();
// A colour test picture (gradients, hard edges, grain) of the given size, compressed
// by cjpeg with `options` into `name` in `dir`.
fs::path MakeJpeg(const TScratchDir& dir, const std::string& name, int width, int height,
                  const std::string& options = "");
// djpeg -dct float -bmp (with -colors 236 when `quantised`) into `target`; false
// when djpeg refuses the file (decoding with warnings counts as decoded).
bool Decompress(const fs::path& source, const fs::path& target, bool quantised);

// Every pixel as 0x00BBGGRR, rows from the top.
std::vector<uint32_t> Pixels(TBitmap& bitmap);
// Same size and pixels as the BMP file; on failure names the first differing pixel.
::testing::AssertionResult SamePixels(TBitmap& ours, const fs::path& reference);
// The picture drawn at (0, 0) on a white 32-bit surface of its size, as the
// workbench shows it.
::testing::AssertionResult DrawsLike(TGraphic& picture, const fs::path& reference);

// The message of the library's error `code`.
inline std::string LibraryError(int code) {
    return "JPEG error #" + std::to_string(code);
}

// Starts the picture modules for one test.
class JpegTest : public ::testing::Test {
  protected:
    TPictureModules modules_;
    TScratchDir dir_;
};

}  // namespace vardel::test
