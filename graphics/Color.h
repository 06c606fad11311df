// The colour value: 0x00BBGGRR for literal colours, negative for system colours.
#pragma once

#include <cstdint>

namespace vardel {

using TColor = int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
// System colours: 0x80000000 plus the platform's index.
inline constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | unsigned(index)); }
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clBtnFace = SystemColor(15);

// A negative colour becomes the platform's current value of its system colour;
// any other value is returned as it is.
uint32_t SystemColorValue(int index);
inline uint32_t ResolveColor(TColor color) {
    return color < 0 ? SystemColorValue(color & 0xFF) : static_cast<uint32_t>(color);
}

}  // namespace vardel
