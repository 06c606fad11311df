// Small helpers shared by the picture model's tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "platform/runtime/Exceptions.h"
#include "tests/MessageOf.h"

namespace vardel::test {

// Gives the bitmap the size and fills it with one colour.
inline void Fill(TBitmap& bitmap, int width, int height, TColor color) {
    bitmap.SetSize(width, height);
    bitmap.Surface().Brush().SetColor(color);
    bitmap.Surface().FillRect({0, 0, width, height});
}

// A raw picture of the peer scripts: width and height as 32-bit little-endian numbers,
// then red, green and blue of each pixel, rows from the top.
struct TRawPicture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

inline TRawPicture ReadRaw(const std::filesystem::path& path) {
    TRawPicture raw;
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(&raw.width), 4);
    in.read(reinterpret_cast<char*>(&raw.height), 4);
    raw.rgb.resize(size_t{raw.width} * raw.height * 3);
    in.read(reinterpret_cast<char*>(raw.rgb.data()), static_cast<std::streamsize>(raw.rgb.size()));
    return raw;
}

// The largest difference of one channel between the bitmap and the raw picture; 256
// when their sizes differ.
inline int MaxDifference(TBitmap& bitmap, const TRawPicture& raw) {
    if (bitmap.Width() != static_cast<int>(raw.width) ||
        bitmap.Height() != static_cast<int>(raw.height))
        return 256;
    int most = 0;
    for (uint32_t y = 0; y < raw.height; ++y)
        for (uint32_t x = 0; x < raw.width; ++x) {
            const uint8_t* p = &raw.rgb[(size_t{y} * raw.width + x) * 3];
            const TColor c = bitmap.Surface().ReadPixel(static_cast<int>(x), static_cast<int>(y));
            for (int k = 0; k < 3; ++k)
                most = std::max(most, std::abs(static_cast<int>((c >> (8 * k)) & 0xFF) - p[k]));
        }
    return most;
}

// Whether /usr/bin/python3 has Pillow, which the peer scripts need.
inline bool HavePillow() {
    return std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") == 0;
}

}  // namespace vardel::test
