// info fields of JPEG pictures: what the header says, without decoding.
#include "formats/jpeg/Jpeg.h"
#include "tools/cli/Commands.h"

namespace vardel::cli {

bool DescribeJpeg(TGraphic& graphic, Json& out) {
    auto* jpeg = dynamic_cast<TJPEGImage*>(&graphic);
    if (!jpeg) return false;
    const TJPEGData& data = jpeg->Data();
    out.Add("kind", "jpeg").Add("width", jpeg->Width()).Add("height", jpeg->Height());
    out.Add("grey", data.JpegIsGray);
    out.Add("progressive", data.JpegIsProgressive);
    out.Add("multiScan", jpeg->Settings().MultiScan);
    out.Add("bytes", static_cast<int64_t>(data.JpegBytes ? data.JpegBytes->size() : 0));
    return true;
}

}  // namespace vardel::cli
