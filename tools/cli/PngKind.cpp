// info fields of PNG pictures, and the PNG form of convert's output.
#include <algorithm>
#include <cctype>

#include "formats/png/PngImage.h"
#include "platform/runtime/Files.h"
#include "tools/cli/Commands.h"

namespace vardel::cli {

bool DescribePng(TGraphic& graphic, Json& out) {
    auto* png = dynamic_cast<TPngImage*>(&graphic);
    if (!png) return false;
    static const char* const kColours[] = {"grey", "", "rgb", "palette", "grey+alpha", "", "rgba"};
    const TPngFileFacts& facts = png->FileFacts();
    out.Add("kind", "png").Add("width", png->Width()).Add("height", png->Height());
    out.Add("bits", png->Image().description.dsBm.bmBitsPixel);
    out.Add("alpha", png->HasAlpha());
    out.Add("bitDepth", facts.bitDepth);
    out.Add("colour", kColours[std::clamp(facts.colorType, 0, 6)]);
    out.Add("interlaced", facts.interlaced);
    return true;
}

void WriteConverted(const TBitmap& bitmap, const std::string& out) {
    std::string ext = ExtensionOf(out);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    // Both share the bitmap's pixels: no copy is made.
    if (ext == "png") {
        TPngImage png;
        png.Assign(&bitmap);
        png.SaveFile(out);
    } else {
        TBitmap bmp;
        bmp.Assign(&bitmap);
        bmp.SaveFile(out);
    }
}

}  // namespace vardel::cli
