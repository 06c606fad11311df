// Numbers in a TIFF file's byte order ("II" little-endian, "MM" big-endian).
#pragma once

#include <cstdint>

#include "platform/runtime/ByteOrder.h"

namespace vardel::tiffbytes {

inline uint16_t Get16(const uint8_t* p, bool intel) {
    return intel ? LoadLe16(p) : LoadBe16(p);
}

inline uint32_t Get32(const uint8_t* p, bool intel) {
    return intel ? LoadLe32(p) : LoadBe32(p);
}

}  // namespace vardel::tiffbytes
