// libjpeg's data source over a JPEG file held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <type_traits>

#include <jpeglib.h>

namespace vardel::jpeg {

// Hands the bytes to the library in pieces of kPieceSize. An empty file is
// libjpeg's input-empty error; past the end of a non-empty file the library gets
// its end-of-file warning and an inserted end-of-image marker, so a truncated file
// decodes as far as it goes. `pub` must stay the first member.
struct TJpegSource {
    static constexpr size_t kPieceSize = 4096;

    jpeg_source_mgr pub;
    const uint8_t* data;
    size_t size;
    size_t position;  // of the first byte not yet handed to the library
};
static_assert(std::is_standard_layout_v<TJpegSource>);

// Points the decompressor's source at `bytes` from position 0. The bytes must
// outlive the decompressor.
void InstallSource(j_decompress_ptr info, TJpegSource& source, std::span<const uint8_t> bytes);

}  // namespace vardel::jpeg
