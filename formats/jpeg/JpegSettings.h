// How a JPEG picture decodes: the settings every new picture copies from the
// module's defaults.
#pragma once

namespace vardel {

enum class TJPEGOutputDepth { Depth24Bit, Depth8Bit };
enum class TJPEGSpeedMode { BestQuality, BestSpeed };

struct TJPEGSettings {
    bool SmoothBlocks = true;  // smooth blocks of a progressive image not yet complete
    bool GrayOutput = false;   // decode colour files as grey
    TJPEGOutputDepth OutputDepth = TJPEGOutputDepth::Depth24Bit;
    int EncodeQuality = 90;  // kept for completeness; this module does not encode
    bool ShowScans = false;  // show every scan of a multi-scan file while decoding
    bool MultiScan = false;  // the data has several scans (taken from the header)
    TJPEGSpeedMode SpeedMode = TJPEGSpeedMode::BestQuality;
    int ScaleShift = 0;  // 0..3: output is 1/2^ScaleShift of the full size

    bool operator==(const TJPEGSettings&) const = default;
};

// The module defaults. Module start-up sets OutputDepth from the screen.
TJPEGSettings& JpegDefaults();

}  // namespace vardel
