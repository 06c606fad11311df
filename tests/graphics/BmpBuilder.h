// Hand-built BMP files for tests: every field set explicitly.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vardel::test {

struct BmpSpec {
    int32_t width = 2;
    int32_t height = 2;  // negative: rows top-down
    uint16_t planes = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;  // 0: computed from the rows
    uint32_t clrUsed = 0;
    int32_t xPels = 2835, yPels = 2835;
    bool core = false;                                // 12-byte header, 3-byte colour entries
    uint32_t headerSize = 40;                         // ignored for core headers
    std::vector<uint32_t> masks = {};                 // written after a 40-byte header
    std::vector<std::array<uint8_t, 3>> colors = {};  // blue, green, red
    std::vector<uint8_t> pixels = {};                 // rows as stored, already padded
    uint32_t gap = 0;                                 // bytes between the colour table and the rows
    bool offBitsPointsAtRows = true;
};

inline void Put(std::vector<uint8_t>& v, uint32_t x, int n) {
    for (int i = 0; i < n; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

inline std::vector<uint8_t> BuildBmp(const BmpSpec& s) {
    std::vector<uint8_t> head;
    if (s.core) {
        Put(head, 12, 4);
        Put(head, static_cast<uint32_t>(s.width), 2);
        Put(head, static_cast<uint32_t>(s.height), 2);
        Put(head, s.planes, 2);
        Put(head, s.bits, 2);
        for (const auto& c : s.colors) head.insert(head.end(), c.begin(), c.end());
    } else {
        Put(head, s.headerSize, 4);
        Put(head, static_cast<uint32_t>(s.width), 4);
        Put(head, static_cast<uint32_t>(s.height), 4);
        Put(head, s.planes, 2);
        Put(head, s.bits, 2);
        Put(head, s.compression, 4);
        Put(head, s.sizeImage, 4);
        Put(head, static_cast<uint32_t>(s.xPels), 4);
        Put(head, static_cast<uint32_t>(s.yPels), 4);
        Put(head, s.clrUsed, 4);
        Put(head, 0, 4);               // clrImportant
        head.resize(s.headerSize, 0);  // larger headers: zeros beyond 40
        for (uint32_t m : s.masks) Put(head, m, 4);
        for (const auto& c : s.colors) {
            head.insert(head.end(), c.begin(), c.end());
            head.push_back(0);
        }
    }
    std::vector<uint8_t> file;
    const uint32_t offBits =
        14 + static_cast<uint32_t>(head.size()) + (s.offBitsPointsAtRows ? s.gap : 0);
    Put(file, 0x4D42, 2);
    Put(file, offBits + static_cast<uint32_t>(s.pixels.size()), 4);
    Put(file, 0, 4);
    Put(file, offBits, 4);
    file.insert(file.end(), head.begin(), head.end());
    file.insert(file.end(), s.gap, 0xEE);
    file.insert(file.end(), s.pixels.begin(), s.pixels.end());
    return file;
}

}  // namespace vardel::test
