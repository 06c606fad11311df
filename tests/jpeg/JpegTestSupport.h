// Helpers of the JPEG tests: pictures made by the tests, files encoded and decoded
// by libjpeg-turbo's own cjpeg and djpeg, and pixel comparisons.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/Modules.h"
#include "graphics/Bitmap.h"

namespace vardel::test {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class TScratchDir {
  public:
    TScratchDir();
    ~TScratchDir();
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    fs::path operator/(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

std::vector<uint8_t> ReadBytes(const fs::path& file);
void WriteBytes(const fs::path& file, const std::vector<uint8_t>& bytes);

// A colour test picture (gradients, hard edges and noise, so every stage of the
// decoder has work) as a binary PPM file.
void WriteTestPicture(const fs::path& file, int width, int height);

bool HaveJpegTools();
// Runs cjpeg with `options` on `source` (a PPM file) into `target`.
void Compress(const fs::path& source, const fs::path& target, const std::string& options);
// Runs djpeg -dct float -bmp (with -colors 236 when `quantised`); false when djpeg
// refuses the file. A file that djpeg decodes with warnings counts as decoded.
bool Decompress(const fs::path& source, const fs::path& target, bool quantised,
                const std::string& extra = "");
// Runs a shell command; returns its exit status.
int RunCommand(const std::string& command);
std::string Quote(const fs::path& path);

// Every pixel as 0x00BBGGRR, rows from the top.
std::vector<uint32_t> Pixels(TBitmap& bitmap);
std::vector<uint32_t> BmpPixels(const fs::path& file);

// Same size and every pixel equal; on failure names the first differing pixel.
::testing::AssertionResult SamePixels(TBitmap& ours, const fs::path& reference);

// Starts the picture modules for one test.
class JpegTest : public ::testing::Test {
  protected:
    TPictureModules modules_;
    TScratchDir dir_;
};

}  // namespace vardel::test
