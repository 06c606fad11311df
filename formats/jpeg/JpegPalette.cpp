#include "formats/jpeg/JpegPalette.h"

#include <algorithm>
#include <vector>

namespace vardel::jpeg {
namespace {

std::vector<gdi::PALETTEENTRY> Entries(const gdi::HPALETTE& palette, unsigned limit) {
    if (!palette) return {};
    const int count = gdi::GetObject(palette);
    if (count <= 0) return {};
    std::vector<gdi::PALETTEENTRY> entries(std::min<unsigned>(static_cast<unsigned>(count), limit));
    entries.resize(
        gdi::GetPaletteEntries(palette, 0, static_cast<unsigned>(entries.size()), entries.data()));
    return entries;
}

}  // namespace

gdi::HPALETTE PaletteFromColormap(const jpeg_decompress_struct& info) {
    gdi::LOGPALETTE log;
    log.palVersion = 0x300;
    const int count = info.colormap ? info.actual_number_of_colors : 0;
    log.palPalEntry.resize(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        gdi::PALETTEENTRY& entry = log.palPalEntry[static_cast<size_t>(i)];
        if (info.out_color_components == 1) {
            const uint8_t level = info.colormap[0][i];
            entry = {level, level, level, 0};
        } else {
            entry = {info.colormap[2][i], info.colormap[1][i], info.colormap[0][i], 0};
        }
    }
    return gdi::CreatePalette(log);
}

bool ColormapFromPalette(TJpegDecompressor& decoder, const gdi::HPALETTE& palette) {
    const std::vector<gdi::PALETTEENTRY> entries = Entries(palette, 256);
    if (entries.empty()) return false;
    jpeg_decompress_struct& info = decoder.Info();
    const auto count = static_cast<JDIMENSION>(entries.size());
    JSAMPARRAY map = nullptr;
    decoder.Run([&] {
        map =
            (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, count, 3);
    });
    for (JDIMENSION i = 0; i < count; ++i) {
        map[0][i] = entries[i].peBlue;
        map[1][i] = entries[i].peGreen;
        map[2][i] = entries[i].peRed;
    }
    info.colormap = map;
    info.actual_number_of_colors = static_cast<int>(count);
    return true;
}

gdi::HPALETTE CopyPalette(const gdi::HPALETTE& palette) {
    gdi::LOGPALETTE log;
    log.palPalEntry = Entries(palette, 256);
    return gdi::CreatePalette(log);
}

}  // namespace vardel::jpeg
