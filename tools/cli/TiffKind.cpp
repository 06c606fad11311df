// info and convert for TIFF files, which the TIFF reader loads straight into a bitmap
// (TIFF has no row in the picture container's registry).
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "formats/tiff/ReadTiff.h"
#include "formats/tiff/ReadTiffTags.h"
#include "graphics/Bitmap.h"
#include "platform/runtime/Files.h"
#include "tools/cli/Commands.h"

namespace vardel::cli {

namespace {

// Bits per pixel of a directory: the sum over its samples, one bit when BitsPerSample
// is missing (the TIFF default); RGB without SamplesPerPixel has three samples.
int64_t BitsPerPixel(const TGraphicTiff& directory, const std::string& file) {
    const TTiffTagEntry* bits = directory.FindTag(tifftag::kBitsPerSample);
    if (!bits) return 1;
    const TTiffTagEntry* samplesEntry = directory.FindTag(tifftag::kSamplesPerPixel);
    const TTiffTagEntry* photometric = directory.FindTag(tifftag::kPhotometricInterpretation);
    const bool rgb = photometric && directory.Value(*photometric) == 2;
    const uint32_t samples = samplesEntry ? directory.Value(*samplesEntry) : rgb ? 3 : 1;
    if (bits->count == 1) return int64_t{directory.Value(*bits)} * samples;
    TFileStream stream(file, FileMode::OpenRead);
    int64_t sum = 0;
    for (uint32_t b : directory.Values(stream, *bits, samples)) sum += b;
    return sum;
}

Json DescribeDirectory(const TGraphicTiff& directory, const std::string& file) {
    auto value = [&](uint16_t tag, int64_t missing) -> int64_t {
        const TTiffTagEntry* entry = directory.FindTag(tag);
        return entry ? directory.Value(*entry) : missing;
    };
    Json out;
    out.Add("width", value(tifftag::kImageWidth, 0));
    out.Add("height", value(tifftag::kImageLength, 0));
    out.Add("photometric", value(tifftag::kPhotometricInterpretation, -1));
    out.Add("bits", BitsPerPixel(directory, file));
    out.Add("strips", static_cast<int>(directory.StripCount()));
    return out;
}

}  // namespace

bool IsTiffName(const std::string& name) {
    std::string ext = ExtensionOf(name);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ext == "tif" || ext == "tiff";
}

int TiffInfo(const std::string& file) {
    TBitmap target;
    ReadTiffFile(file, target);
    TFileTiff tiff;
    tiff.SetFileName(file);
    // The reader has already said why the file is not one.
    if (!tiff.Valid()) return 1;
    // A file of which no directory could be decoded fails, as convert does; what the
    // reader said about each directory is on standard error already.
    if (target.IsEmpty()) return NothingDecoded(file);
    std::vector<Json> directories;
    for (int i = 0; i < tiff.DirectoryCount(); ++i)
        directories.push_back(DescribeDirectory(*tiff.GetDirectory(static_cast<uint8_t>(i)), file));
    Json out;
    out.Add("kind", "tiff").Add("width", target.Width()).Add("height", target.Height());
    out.Add("directories", directories);
    std::printf("%s\n", out.Text().c_str());
    return 0;
}

int TiffConvert(const std::string& in, const std::string& out) {
    TBitmap target;
    ReadTiffFile(in, target);
    // The reader's messages (if any) went to standard error before this line.
    if (target.IsEmpty()) return NothingDecoded(in);
    WriteConverted(target, out);
    return 0;
}

}  // namespace vardel::cli
