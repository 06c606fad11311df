// libjpeg's encoder, driven directly: baseline, 4:2:0, Huffman tables optimised.
#include <cstdio>
#include <memory>
#include <stdexcept>

#include <jpeglib.h>

#include "tools/samples/SampleFiles.h"

namespace vardel::samples {

namespace {

struct TFileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

[[noreturn]] void Fail(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    throw std::runtime_error(text);
}

}  // namespace

void WriteJpeg(const TRaster& picture, int quality, const std::string& path) {
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error("cannot create " + path);

    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = Fail;
    jpeg_create_compress(&info);
    struct TDestroy {
        jpeg_compress_struct* info;
        ~TDestroy() { jpeg_destroy_compress(info); }
    } destroy{&info};

    jpeg_stdio_dest(&info, file.get());
    info.image_width = static_cast<JDIMENSION>(picture.Width());
    info.image_height = static_cast<JDIMENSION>(picture.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    const std::vector<uint8_t> rgb = picture.RgbBytes();
    const size_t rowBytes = static_cast<size_t>(picture.Width()) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(rgb.data() + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
}

}  // namespace vardel::samples
