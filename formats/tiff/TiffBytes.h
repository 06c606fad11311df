// Numbers in a TIFF file's byte order ("II" little-endian, "MM" big-endian).
#pragma once

#include <cstdint>

namespace vardel::tiffbytes {

inline uint16_t Get16(const uint8_t* p, bool intel) {
    return intel ? static_cast<uint16_t>(p[0] | p[1] << 8)
                 : static_cast<uint16_t>(p[0] << 8 | p[1]);
}

inline uint32_t Get32(const uint8_t* p, bool intel) {
    return intel ? (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                    uint32_t{p[3]} << 24)
                 : (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 |
                    uint32_t{p[3]});
}

}  // namespace vardel::tiffbytes
