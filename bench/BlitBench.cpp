// Block transfers of 4000 × 3000 pixels onto a 32-bit section, one case per way
// through the transfer code (equal formats, a palette look-up, a conversion per
// pixel, a monochrome source, raster operations that read the target, a pattern,
// a mirror, a halftone shrink and a mask), beside a plain copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/gdi/Gdi.h"

using namespace vardel::gdi;

namespace {
constexpr int kWidth = 4000, kHeight = 3000;

// A memory context holding a top-down section whose bytes follow a pattern.
struct TSurface {
    HBITMAP bitmap;
    HDC dc;
    uint8_t* bits = nullptr;
    size_t size = 0;

    TSurface(int width, int height, int bitCount) {
        BITMAPINFO info;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biBitCount = static_cast<uint16_t>(bitCount);
        if (bitCount <= 8)
            for (int i = 0; i < (1 << bitCount); ++i)
                info.bmiColors.push_back({static_cast<uint8_t>(i * 3), static_cast<uint8_t>(i * 5),
                                          static_cast<uint8_t>(i * 7), 0});
        bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits);
        DIBSECTION d;
        GetObject(bitmap, d);
        size = static_cast<size_t>(d.dsBm.bmWidthBytes) * height;
        for (size_t i = 0; i < size; ++i) bits[i] = static_cast<uint8_t>(i * 7 + i / 4093);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
    }
    ~TSurface() { DeleteDC(dc); }
};

TSurface& Target() {
    static TSurface target(kWidth, kHeight, 32);
    return target;
}

void Transfer(benchmark::State& state, int sourceBits, uint32_t rop) {
    TSurface source(kWidth, kHeight, sourceBits);
    for (auto _ : state) BitBlt(Target().dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, rop);
}

void Mirror(benchmark::State& state) {
    TSurface source(kWidth, kHeight, 32);
    for (auto _ : state)
        StretchBlt(Target().dc, kWidth - 1, 0, -kWidth, kHeight, source.dc, 0, 0, kWidth, kHeight,
                   SRCCOPY);
}

// Halving each side: every target pixel averages four.
void HalftoneShrink(benchmark::State& state) {
    TSurface source(kWidth, kHeight, 32);
    SetStretchBltMode(Target().dc, HALFTONE);
    for (auto _ : state)
        StretchBlt(Target().dc, 0, 0, kWidth / 2, kHeight / 2, source.dc, 0, 0, kWidth, kHeight,
                   SRCCOPY);
    SetStretchBltMode(Target().dc, COLORONCOLOR);
}

void Pattern(benchmark::State& state) {
    SelectObject(Target().dc, CreateSolidBrush(RGB(10, 200, 30)));
    for (auto _ : state) PatBlt(Target().dc, 0, 0, kWidth, kHeight, PATINVERT);
}

// Mask bit 1 copies the source, 0 keeps the target.
void Masked(benchmark::State& state) {
    TSurface source(kWidth, kHeight, 32);
    TSurface mask(kWidth, kHeight, 1);
    for (auto _ : state)
        MaskBlt(Target().dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, mask.bitmap, 0, 0,
                MAKEROP4(SRCCOPY, 0x00AA0029));
}

void PlainCopy(benchmark::State& state) {
    std::vector<uint8_t> source(size_t{kWidth} * kHeight * 4, 7);
    for (auto _ : state) {
        std::memcpy(Target().bits, source.data(), source.size());
        benchmark::ClobberMemory();
    }
}
}  // namespace

BENCHMARK_CAPTURE(Transfer, Copy32, 32, SRCCOPY)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Transfer, Index8, 8, SRCCOPY)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Transfer, Rgb24, 24, SRCCOPY)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Transfer, Mono1, 1, SRCCOPY)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Transfer, And32, 32, SRCAND)->Unit(benchmark::kMillisecond);
BENCHMARK(Mirror)->Unit(benchmark::kMillisecond);
BENCHMARK(HalftoneShrink)->Unit(benchmark::kMillisecond);
BENCHMARK(Pattern)->Unit(benchmark::kMillisecond);
BENCHMARK(Masked)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond);
