// info fields of the kinds that the picture model itself provides.
#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "platform/runtime/ByteOrder.h"
#include "tools/cli/Commands.h"

namespace vardel::cli {

bool DescribeBitmap(TGraphic& graphic, Json& out) {
    auto* bitmap = dynamic_cast<TBitmap*>(&graphic);
    if (!bitmap) return false;
    const TBitmapImage& image = bitmap->Image();
    const auto& d = image.description;
    const bool section = d.isSection;
    out.Add("kind", "bmp");
    out.Add("width", bitmap->Width()).Add("height", bitmap->Height());
    int bits = section ? d.dsBmih.biBitCount : d.dsBm.bmBitsPixel;
    uint32_t compression = section ? d.dsBmih.biCompression : 0;
    bool topDown = section && d.dsBmih.biHeight < 0;
    // Run-length files are kept as read until they change; their header says how.
    if (image.keptFileBytes && image.keptFileBytes->size() >= 34) {
        const auto& b = *image.keptFileBytes;
        bits = LoadLe16(&b[28]);
        compression = LoadLe32(&b[30]);
        topDown = static_cast<int32_t>(LoadLe32(&b[22])) < 0;
    }
    out.Add("bits", bits);
    static const char* const names[] = {"none", "rle8", "rle4", "bitfields"};
    out.Add("compression", compression < 4 ? names[compression] : std::to_string(compression));
    out.Add("topDown", topDown);
    out.Add("coreHeader", image.coreHeaderOrigin);
    return true;
}

bool DescribeIcon(TGraphic& graphic, Json& out) {
    if (!dynamic_cast<TIcon*>(&graphic)) return false;
    out.Add("kind", "icon").Add("width", graphic.Width()).Add("height", graphic.Height());
    return true;
}

bool DescribeMetafile(TGraphic& graphic, Json& out) {
    auto* metafile = dynamic_cast<TMetafile*>(&graphic);
    if (!metafile) return false;
    out.Add("kind", "metafile").Add("width", graphic.Width()).Add("height", graphic.Height());
    out.Add("enhanced", metafile->Enhanced());
    return true;
}

}  // namespace vardel::cli
