#include "formats/jpeg/JpegProgress.h"

#include <algorithm>

#include "formats/jpeg/JpegError.h"
#include "graphics/Graphic.h"
#include "platform/runtime/Clock.h"

namespace vardel::jpeg {
namespace {

TJpegProgress& Progress(j_common_ptr info) {
    return *reinterpret_cast<TJpegProgress*>(info->progress);
}

// Rows decoded since the last report; when the scan line went back (a new output
// pass began), the rest of the image from the last reported row.
gdi::RECT DecodedRows(j_decompress_ptr info, JDIMENSION lastScanline) {
    const JDIMENSION scanline = info->output_scanline;
    const JDIMENSION bottom = scanline < lastScanline ? info->output_height : scanline;
    return gdi::RECT{0, static_cast<int32_t>(lastScanline),
                     static_cast<int32_t>(info->output_width), static_cast<int32_t>(bottom)};
}

void Report(j_common_ptr common) {
    TJpegProgress& progress = Progress(common);
    if (common->is_decompressor) CheckScanCount(reinterpret_cast<j_decompress_ptr>(common));
    if (!progress.picture) return;

    const uint32_t now = GetTickCount();
    if (progress.started && now - progress.lastTick < TJpegProgress::kReportIntervalMs) return;
    progress.lastTick = now;
    if (!progress.started) {
        progress.started = true;
        return;
    }
    const jpeg_progress_mgr& pub = progress.pub;
    const int percent =
        ProgressPercent(pub.completed_passes, pub.pass_counter, pub.pass_limit, pub.total_passes);
    if (percent < 0 || percent == progress.lastPercent) return;

    gdi::RECT rows{};
    if (common->is_decompressor) {
        auto* info = reinterpret_cast<j_decompress_ptr>(common);
        rows = DecodedRows(info, progress.lastScanline);
        progress.lastScanline = info->output_scanline;
    }
    progress.lastPercent = percent;
    progress.picture->Progress(progress.picture, TProgressStage::psRunning,
                               static_cast<uint8_t>(percent), rows.Height() >= 4, rows,
                               std::string());
}

// The library's callback: any exception (an abort from a subscriber, the scan
// bound) is kept and raised again once control is back in our own code.
void ProgressMonitor(j_common_ptr common) {
    bool failed = false;
    try {
        Report(common);
    } catch (...) {
        KeepCurrentException(common);
        failed = true;
    }
    if (failed) LeaveLibrary(common);
}

}  // namespace

void InstallProgress(j_decompress_ptr info, TJpegProgress& progress, TGraphic* picture) {
    progress.pub = jpeg_progress_mgr{};
    progress.pub.progress_monitor = ProgressMonitor;
    progress.picture = picture;
    progress.started = false;
    progress.lastTick = 0;
    progress.lastPercent = -1;
    progress.lastScanline = 0;
    info->progress = &progress.pub;
}

void CheckScanCount(j_decompress_ptr info) {
    if (info->input_scan_number > kMaxScans) throw EJPEG(kTooManyScans);
}

int ProgressPercent(long completedPasses, long passCounter, long passLimit, long totalPasses) {
    if (totalPasses <= 0) return -1;
    const double fraction = passLimit > 0 ? static_cast<double>(passCounter) / passLimit : 0.0;
    const double percent = 100.0 * (completedPasses + fraction) / totalPasses;
    return static_cast<int>(std::clamp(percent, 0.0, 100.0));
}

}  // namespace vardel::jpeg
