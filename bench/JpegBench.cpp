// Decoding a 4000 x 3000 JPEG file into a TBitmap through the JPEG picture, beside
// libjpeg-turbo called directly into a plain buffer with the same settings (float
// DCT, block smoothing, blue-green-red rows). The picture should stay within 5 % of
// the direct call.
#include <cstdio>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include "bench/BenchPictures.h"
#include "formats/jpeg/Jpeg.h"
#include "platform/runtime/Streams.h"

using namespace vardel;

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

std::vector<uint8_t> Encode(bool progressive) {
    static const std::vector<uint8_t> rgb = bench::MakePhotoLikeRgb(kWidth, kHeight);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&rgb[size_t{info.next_scanline} * kWidth * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> file(out, out + outSize);
    std::free(out);
    return file;
}

const std::vector<uint8_t>& File(bool progressive) {
    static const std::vector<uint8_t> baseline = Encode(false), multiScan = Encode(true);
    return progressive ? multiScan : baseline;
}

void PictureDecode(benchmark::State& state) {
    const std::vector<uint8_t>& file = File(state.range(0) != 0);
    for (auto _ : state) {
        TJPEGImage image;
        TReadOnlyMemoryStream stream(file.data(), file.size());
        image.LoadStream(stream);
        benchmark::DoNotOptimize(image.DecodeBitmap().ScanRow(0));
    }
    state.SetLabel(state.range(0) ? "progressive" : "baseline");
}

void DirectDecode(benchmark::State& state) {
    const std::vector<uint8_t>& file = File(state.range(0) != 0);
    for (auto _ : state) {
        jpeg_decompress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGR;
        info.dct_method = JDCT_FLOAT;
        info.do_block_smoothing = TRUE;
        jpeg_start_decompress(&info);
        const size_t stride = (size_t{info.output_width} * 3 + 3) / 4 * 4;
        auto pixels = std::make_unique_for_overwrite<uint8_t[]>(stride * info.output_height);
        std::vector<JSAMPROW> rows(info.rec_outbuf_height);
        while (info.output_scanline < info.output_height) {
            for (size_t k = 0; k < rows.size(); ++k)
                rows[k] = pixels.get() + stride * std::min<size_t>(info.output_scanline + k,
                                                                   info.output_height - 1);
            jpeg_read_scanlines(&info, rows.data(), static_cast<JDIMENSION>(rows.size()));
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetLabel(state.range(0) ? "progressive" : "baseline");
}

}  // namespace

BENCHMARK(PictureDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(DirectDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);
