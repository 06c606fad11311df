#include "formats/jpeg/JpegDecoder.h"
#include "platform/runtime/MemoryBudget.h"

#include <algorithm>
#include <utility>

namespace vardel::jpeg {

TJpegDecompressor::TJpegDecompressor(std::span<const uint8_t> bytes) {
    InstallErrorManager(reinterpret_cast<j_common_ptr>(&info_), errors_);
    // Creation checks that the library and its header agree on version and layout.
    // The destructor does not run when the constructor fails, so a creation that
    // fails half way is cleaned up here.
    try {
        Run([this] { jpeg_create_decompress(&info_); });
    } catch (...) {
        jpeg_destroy_decompress(&info_);
        throw;
    }
    // The library's whole-image buffers stay under the picture limit even where
    // CheckMemory's estimate would fall short.
    info_.mem->max_memory_to_use = static_cast<long>(kMaxPictureBytes);
    InstallSource(&info_, source_, bytes);
    InstallProgress(&info_, progress_, nullptr);
}

TJpegDecompressor::~TJpegDecompressor() {
    // Safe on a failed creation too: the library leaves its memory manager unset.
    jpeg_destroy_decompress(&info_);
}

void TJpegDecompressor::AttachProgress(TGraphic* picture) {
    progress_.picture = picture;
}

void TJpegDecompressor::ReadHeader() {
    Run([this] { jpeg_read_header(&info_, TRUE); });
}

TDecodeChoices TJpegDecompressor::Configure(const TJPEGSettings& settings) {
    TDecodeChoices choices;
    Run([&] { choices.multiScan = jpeg_has_multiple_scans(&info_); });

    info_.scale_num = 1;
    info_.scale_denom = 1u << std::clamp(settings.ScaleShift, 0, 3);
    info_.do_block_smoothing = settings.SmoothBlocks;
    // Grey stays grey; everything else is asked for in the bitmap's blue, green,
    // red byte order (files the library cannot convert, CMYK among them, are then
    // refused by the library itself).
    if (settings.GrayOutput || info_.out_color_space == JCS_GRAYSCALE)
        info_.out_color_space = JCS_GRAYSCALE;
    else
        info_.out_color_space = JCS_EXT_BGR;
    if (settings.OutputDepth == TJPEGOutputDepth::Depth8Bit ||
        info_.out_color_space == JCS_GRAYSCALE) {
        info_.quantize_colors = TRUE;
        info_.desired_number_of_colors = 236;
    }
    if (settings.SpeedMode == TJPEGSpeedMode::BestSpeed) {
        info_.dct_method = JDCT_IFAST;
        info_.two_pass_quantize = FALSE;
        info_.dither_mode = JDITHER_ORDERED;
    } else {
        info_.dct_method = JDCT_FLOAT;
    }
    choices.dctMethod = info_.dct_method;
    choices.twoPassQuantize = info_.two_pass_quantize;
    choices.ditherMode = info_.dither_mode;
    choices.quantized = info_.quantize_colors;
    if (settings.ShowScans && choices.multiScan) {
        // Quick passes while the scans arrive; the final pass uses the choices above.
        info_.enable_2pass_quant = info_.two_pass_quantize;
        info_.dct_method = JDCT_IFAST;
        info_.two_pass_quantize = FALSE;
        info_.dither_mode = JDITHER_ORDERED;
        info_.buffered_image = TRUE;
        choices.buffered = true;
    }
    return choices;
}

void TJpegDecompressor::CheckMemory(const TDecodeChoices& choices) {
    Run([this] { jpeg_calc_output_dimensions(&info_); });
    const uint64_t needed = DecodeMemoryNeeded(info_, choices);
    CheckPictureAllocation(needed);
    // The bitmap's rows are charged by the bitmap; the library's own buffers by the
    // decoder, for as long as it lives.
    libraryCharge_ = TMemoryCharge(needed - OutputRowBytes(info_, choices));
}

uint64_t OutputRowBytes(const jpeg_decompress_struct& info, const TDecodeChoices& choices) {
    const uint64_t pixelBytes = choices.quantized ? 1 : 3;
    return (info.output_width * pixelBytes + 3) / 4 * 4 * info.output_height;
}

uint64_t DecodeMemoryNeeded(const jpeg_decompress_struct& info, const TDecodeChoices& choices) {
    const uint64_t width = info.output_width;
    const uint64_t height = info.output_height;
    uint64_t total = OutputRowBytes(info, choices);

    if (choices.multiScan || choices.buffered) {
        for (int c = 0; c < info.num_components; ++c) {
            const jpeg_component_info& component = info.comp_info[c];
            const auto roundUp = [](uint64_t value, uint64_t step) {
                return step ? (value + step - 1) / step * step : value;
            };
            total += roundUp(component.width_in_blocks, component.h_samp_factor) *
                     roundUp(component.height_in_blocks, component.v_samp_factor) * sizeof(JBLOCK);
        }
    }
    const bool twoPass = choices.quantized && info.out_color_components == 3 && !info.colormap &&
                         (info.two_pass_quantize || info.enable_2pass_quant);
    if (twoPass) total += width * 3 * height;
    return total;
}

}  // namespace vardel::jpeg
