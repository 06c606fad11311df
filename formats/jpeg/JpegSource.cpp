#include "formats/jpeg/JpegSource.h"

#include <algorithm>

#include <jerror.h>

namespace vardel::jpeg {
namespace {

TJpegSource& Source(j_decompress_ptr info) {
    return *reinterpret_cast<TJpegSource*>(info->src);
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
    TJpegSource& source = Source(info);
    if (source.position >= source.size) {
        if (source.size == 0) ERREXIT(info, JERR_INPUT_EMPTY);
        // The usual answer to a file that ends early: warn, then end the image so
        // that the rows not reached are completed by the library.
        WARNMS(info, JWRN_JPEG_EOF);
        static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
        source.pub.next_input_byte = kEndOfImage;
        source.pub.bytes_in_buffer = sizeof kEndOfImage;
        return TRUE;
    }
    const size_t count = std::min(TJpegSource::kPieceSize, source.size - source.position);
    source.pub.next_input_byte = source.data + source.position;
    source.pub.bytes_in_buffer = count;
    source.position += count;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    TJpegSource& source = Source(info);
    size_t skip = static_cast<size_t>(count);
    if (skip <= source.pub.bytes_in_buffer) {
        source.pub.next_input_byte += skip;
        source.pub.bytes_in_buffer -= skip;
        return;
    }
    // Beyond the current piece: move the position directly (never past the end);
    // the next fill hands out what follows, or the inserted end of image.
    skip -= source.pub.bytes_in_buffer;
    source.pub.bytes_in_buffer = 0;
    source.position += std::min(skip, source.size - source.position);
    source.pub.next_input_byte = source.data + source.position;
}

}  // namespace

void InstallSource(j_decompress_ptr info, TJpegSource& source, std::span<const uint8_t> bytes) {
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInputBuffer;
    source.pub.skip_input_data = SkipInputData;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.pub.next_input_byte = bytes.data();
    source.pub.bytes_in_buffer = 0;
    source.data = bytes.data();
    source.size = bytes.size();
    source.position = 0;
    info->src = &source.pub;
}

}  // namespace vardel::jpeg
