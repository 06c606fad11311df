#include "formats/tiff/TiffStrips.h"

#include <algorithm>

namespace vardel {

bool TStripStream::Open(TStream& file, const TGraphicTiff& directory) {
    *this = TStripStream();
    const uint16_t count = directory.StripCount();
    if (count == 0) return false;
    const auto fileSize = static_cast<uint64_t>(std::max<int64_t>(file.Size(), 0));
    std::vector<TRun> runs;
    uint64_t size = 0;
    for (uint16_t i = 0; i < count; ++i) {
        const TTiffStrip& strip = *directory.GetStrip(i);
        // A strip that reaches past the end can never be read whole.
        if (uint64_t{strip.offset} + strip.byteCount > fileSize) return false;
        size += strip.byteCount;
        if (strip.byteCount == 0) continue;
        if (!runs.empty() && runs.back().offset + runs.back().length == strip.offset)
            runs.back().length += strip.byteCount;
        else
            runs.push_back(TRun{strip.offset, strip.byteCount});
    }
    file_ = &file;
    runs_ = std::move(runs);
    size_ = size;
    return true;
}

bool TStripStream::Read(uint8_t* out, size_t n) {
    while (n > 0) {
        if (run_ == runs_.size()) return false;
        const TRun& run = runs_[run_];
        if (!placed_) file_->Seek(static_cast<int64_t>(run.offset + done_), SeekOrigin::Begin);
        placed_ = true;
        const auto take = static_cast<size_t>(std::min<uint64_t>(n, run.length - done_));
        if (file_->Read(out, take) != take) return false;
        out += take;
        n -= take;
        done_ += take;
        if (done_ == run.length) {
            ++run_;
            done_ = 0;
            placed_ = false;
        }
    }
    return true;
}

void TStripStream::Skip(uint64_t n) {
    if (n == 0) return;
    placed_ = false;
    while (n > 0 && run_ < runs_.size()) {
        const uint64_t take = std::min(n, runs_[run_].length - done_);
        n -= take;
        done_ += take;
        if (done_ == runs_[run_].length) {
            ++run_;
            done_ = 0;
        }
    }
}

size_t RowLength(const TGraphicTiff& directory, uint32_t imageLength) {
    const TTiffStrip* first = directory.GetStrip(0);
    if (!first || imageLength == 0) return 0;
    const TTiffTagEntry* entry = directory.FindTag(tifftag::kRowsPerStrip);
    uint32_t rowsPerStrip = entry ? directory.Value(*entry) : 0;
    if (rowsPerStrip == 0 || rowsPerStrip > imageLength) rowsPerStrip = imageLength;
    return first->byteCount / rowsPerStrip;
}

bool HoldsRows(uint64_t stripBytes, size_t rowLength, uint32_t rows, uint32_t width,
               uint64_t bitsPerPixel) {
    if (rows == 0) return true;
    if (width != 0 && bitsPerPixel > (UINT64_MAX - 7) / width) return false;
    const uint64_t pixelBytes = (uint64_t{width} * bitsPerPixel + 7) / 8;
    if (rowLength < pixelBytes) return false;
    // rows * rowLength stays far below 2^64: rowLength is at most a strip's 32-bit count.
    return uint64_t{rows} * rowLength <= stripBytes;
}

}  // namespace vardel
