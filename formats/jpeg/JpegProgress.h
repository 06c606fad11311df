// libjpeg's progress monitor: progress reports to the picture being decoded, and the
// bound on the number of scans a file may make the decoder work through.
#pragma once

#include <cstdint>
#include <cstdio>
#include <type_traits>

#include <jpeglib.h>

namespace vardel {
class TGraphic;
}

namespace vardel::jpeg {

// A progressive file may hold any number of scans, and every scan costs a pass over
// the image; past this many the file is refused.
inline constexpr int kMaxScans = 1000;
inline constexpr const char* kTooManyScans =
    "JPEG image has too many scans (more than 1000); decoding stopped";

// Reports go out at most every kReportInterval milliseconds and only when the whole
// percent changes. `pub` must stay the first member.
struct TJpegProgress {
    static constexpr uint32_t kReportIntervalMs = 500;

    jpeg_progress_mgr pub;
    TGraphic* picture;  // told of progress; none: nothing is reported
    bool started;
    uint32_t lastTick;
    int lastPercent;
    JDIMENSION lastScanline;
};
static_assert(std::is_standard_layout_v<TJpegProgress>);

// Installs the monitor; `picture` may be none (the scan bound still applies).
void InstallProgress(j_decompress_ptr info, TJpegProgress& progress, TGraphic* picture);

// Raises EJPEG kTooManyScans once the input has passed kMaxScans scans.
void CheckScanCount(j_decompress_ptr info);

// Truncated 100 * (completed + counter / limit) / total, within 0..100; -1 when the
// library gives no usable estimate.
int ProgressPercent(long completedPasses, long passCounter, long passLimit, long totalPasses);

}  // namespace vardel::jpeg
