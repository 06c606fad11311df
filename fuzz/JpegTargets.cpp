// The JPEG reader's entry: loads any bytes as a JPEG picture, draws it twice (the
// second draw reuses what the first left, even after an error) and saves it, with
// settings picked from the input's length so that the 8-bit, buffered-image,
// fast and reduced-scale paths are reached too.
#include "formats/jpeg/Jpeg.h"
#include "fuzz/FuzzTargets.h"
#include "platform/runtime/Streams.h"

namespace vardel::fuzz {

namespace {
// Large but valid headers take seconds to decode; past this they are only loaded.
constexpr int64_t kDecodeLimit = int64_t{4} << 20;

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

void FuzzJpeg(const uint8_t* data, size_t size) {
    TJPEGImage image;
    image.SetSettings(SettingsFor(size));
    try {
        TReadOnlyMemoryStream in(data, size);
        image.LoadStream(in);
        TMemoryStream out;
        image.SaveStream(out);
    } catch (const Exception&) {
        return;
    }
    if (int64_t{image.Width()} * image.Height() > kDecodeLimit) return;
    TBitmap target;
    target.SetSize(16, 16);
    for (int draw = 0; draw < 2; ++draw) {
        try {
            target.Surface().DrawGraphic(0, 0, &image);
        } catch (const Exception&) {
        }
    }
}

}  // namespace vardel::fuzz
