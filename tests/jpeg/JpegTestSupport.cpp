#include "tests/jpeg/JpegTestSupport.h"

#include <algorithm>
#include <fstream>

namespace vardel::test {

bool HaveJpegTools() {
    return *VARDEL_CJPEG && *VARDEL_DJPEG;
}

fs::path MakeJpeg(const TScratchDir& dir, const std::string& name, int width, int height,
                  const std::string& options) {
    const fs::path source = dir / (name + ".ppm"), target = dir / name;
    {
        std::ofstream out(source, std::ios::binary);
        out << "P6\n" << width << " " << height << "\n255\n";
        uint32_t grain = 12345;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                grain = grain * 1103515245u + 12345u;
                const int n = static_cast<int>((grain >> 16) & 31) - 16;
                const bool square = ((x / 7) + (y / 5)) % 3 == 0;
                const int r = square ? 250 : x * 255 / std::max(width - 1, 1);
                const int g = square ? 20 : y * 255 / std::max(height - 1, 1);
                for (int v : {r + n, g - n, ((x * y) & 0xFF) / 2 + 64 + n / 2})
                    out.put(static_cast<char>(std::clamp(v, 0, 255)));
            }
        }
    }
    const std::string command = std::string(VARDEL_CJPEG) + " " + options + " -outfile " +
                                Quote(target) + " " + Quote(source);
    EXPECT_EQ(RunCommand(command), 0) << command;
    return target;
}

bool Decompress(const fs::path& source, const fs::path& target, bool quantised) {
    std::error_code ignored;
    fs::remove(target, ignored);
    const std::string command = std::string(VARDEL_DJPEG) + " -dct float -bmp " +
                                (quantised ? "-colors 236 " : "") + "-outfile " + Quote(target) +
                                " " + Quote(source) + " 2>/dev/null";
    const int status = RunCommand(command);  // 2: decoded with warnings; 1: refused
    return (status == 0 || status == 2) && fs::exists(target) && fs::file_size(target) > 0;
}

std::vector<uint32_t> Pixels(TBitmap& bitmap) {
    std::vector<uint32_t> pixels;
    TCanvas& canvas = bitmap.Surface();
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            pixels.push_back(static_cast<uint32_t>(canvas.ReadPixel(x, y)));
    return pixels;
}

::testing::AssertionResult SamePixels(TBitmap& ours, const fs::path& reference) {
    TBitmap theirs;
    theirs.LoadFile(reference.string());
    if (ours.Width() != theirs.Width() || ours.Height() != theirs.Height())
        return ::testing::AssertionFailure()
               << "size " << ours.Width() << "x" << ours.Height() << ", djpeg " << theirs.Width()
               << "x" << theirs.Height();
    const std::vector<uint32_t> a = Pixels(ours), b = Pixels(theirs);
    const auto [mine, other] = std::mismatch(a.begin(), a.end(), b.begin());
    if (mine == a.end()) return ::testing::AssertionSuccess();
    const auto at = mine - a.begin();
    return ::testing::AssertionFailure()
           << "pixel (" << at % ours.Width() << ", " << at / ours.Width() << ") is " << std::hex
           << *mine << ", djpeg's " << *other;
}

::testing::AssertionResult DrawsLike(TGraphic& picture, const fs::path& reference) {
    TBitmap shown;
    shown.SetPixelLayout(TPixelLayout::Format32Bit);
    shown.SetSize(picture.Width(), picture.Height());
    shown.Surface().DrawGraphic(0, 0, &picture);
    return SamePixels(shown, reference);
}

}  // namespace vardel::test
