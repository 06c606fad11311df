// Loads any bytes as a JPEG picture and draws it, with settings picked from the
// input's length so that the 8-bit, buffered-image and fast paths are reached too.
#include <cstddef>
#include <cstdint>

#include "formats/jpeg/Jpeg.h"
#include "platform/runtime/Streams.h"

using namespace vardel;

namespace {

// Large but valid headers decode for seconds each; the fuzzer is after faults, so
// such inputs are only loaded.
constexpr int64_t kMaxDrawnPixels = 4'000'000;

TJPEGSettings SettingsFor(size_t size) {
    TJPEGSettings settings;
    switch (size % 4) {
        case 1:
            settings.OutputDepth = TJPEGOutputDepth::Depth8Bit;
            break;
        case 2:
            settings.ShowScans = true;
            break;
        case 3:
            settings.ShowScans = true;
            settings.OutputDepth = TJPEGOutputDepth::Depth8Bit;
            settings.SpeedMode = TJPEGSpeedMode::BestSpeed;
            settings.ScaleShift = static_cast<int>(size / 4 % 4);
            break;
        default:
            break;
    }
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TJPEGImage image;
    image.SetSettings(SettingsFor(size));
    try {
        TReadOnlyMemoryStream stream(data, size);
        image.LoadStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    if (int64_t{image.Width()} * image.Height() > kMaxDrawnPixels) return 0;
    TBitmap surface;
    surface.SetSize(16, 16);
    for (int draw = 0; draw < 2; ++draw) {  // the second draw reuses what the first left
        try {
            surface.Surface().DrawGraphic(0, 0, &image);
        } catch (const Exception&) {
        }
    }
    return 0;
}
