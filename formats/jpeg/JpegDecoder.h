// One libjpeg decompressor over a JPEG file in memory, with this module's error
// handling, source and progress monitor, and the settings that a picture applies
// to it. Lives on the stack of the call that reads or decodes; never shared.
#pragma once

#include <cstdint>
#include <span>

#include "formats/jpeg/JpegError.h"
#include "formats/jpeg/JpegProgress.h"
#include "formats/jpeg/JpegSettings.h"
#include "formats/jpeg/JpegSource.h"
#include "platform/runtime/MemoryBudget.h"

namespace vardel::jpeg {

// The output choices made from the settings, kept for the final pass of a
// buffered-image decode.
struct TDecodeChoices {
    J_DCT_METHOD dctMethod = JDCT_FLOAT;
    bool twoPassQuantize = true;
    J_DITHER_MODE ditherMode = JDITHER_FS;
    bool quantized = false;  // rows are colour indices (one byte per pixel)
    bool buffered = false;   // every scan is shown as it arrives
    bool multiScan = false;  // the file has several scans
};

class TJpegDecompressor {
  public:
    // Creates the decompressor reading `bytes`, which must outlive it.
    explicit TJpegDecompressor(std::span<const uint8_t> bytes);
    ~TJpegDecompressor();
    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    jpeg_decompress_struct& Info() { return info_; }

    // Runs library calls; a library error comes out as EJPEG, and an exception
    // raised in a callback comes out as itself. See RunGuarded for what body may hold.
    template <typename F>
    void Run(F&& body) {
        RunGuarded(errors_, std::forward<F>(body));
    }

    // Reports progress to `picture` while decoding (none: only the scan bound).
    void AttachProgress(TGraphic* picture);
    // jpeg_read_header, requiring an image.
    void ReadHeader();
    // Applies the settings to the parameters after the header was read.
    TDecodeChoices Configure(const TJPEGSettings& settings);
    // Computes the output size and refuses with "Out of memory" a decode whose
    // bitmap and whole-image buffers of the library would pass the picture limit or
    // what is left of the memory budget; the library's buffers stay charged until the
    // decoder goes.
    void CheckMemory(const TDecodeChoices& choices);

  private:
    jpeg_decompress_struct info_{};
    TJpegErrorManager errors_{};
    TJpegSource source_{};
    TJpegProgress progress_{};
    TMemoryCharge libraryCharge_;
};

// Bytes of memory that a decode with these (final) parameters needs for pixels:
// the bitmap's rows, padded to 4 bytes, and the library's full-image buffers
// (coefficients of multi-scan or buffered decodes, the two-pass quantiser's pixels).
// The output size must have been computed.
uint64_t DecodeMemoryNeeded(const jpeg_decompress_struct& info, const TDecodeChoices& choices);
// Of those, the bitmap's rows.
uint64_t OutputRowBytes(const jpeg_decompress_struct& info, const TDecodeChoices& choices);

}  // namespace vardel::jpeg
