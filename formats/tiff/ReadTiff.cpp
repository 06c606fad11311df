#include "formats/tiff/ReadTiff.h"

#include <algorithm>

#include "formats/tiff/TiffBitmap.h"
#include "formats/tiff/TiffColorTable.h"
#include "formats/tiff/TiffMessages.h"
#include "formats/tiff/TiffStrips.h"
#include "platform/runtime/Exceptions.h"
#include "platform/ui/Dialogs.h"

namespace vardel {

namespace {

constexpr uint32_t kUncompressed = 1;
constexpr uint32_t kInterleaved = 1;  // PlanarConfiguration: samples of a pixel side by side
constexpr uint32_t kRgbSamples = 3;
constexpr uint32_t kLargestSide = 65535;
constexpr uint64_t kDisplayBytesPerPixel = 4;  // the screen's bitmaps are 32 bits deep

struct TImageSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// Shows the message; readers return right after it.
void Refuse(const std::string& text) {
    ShowMessageDialog(text);
}

// What every reader checks first: the size is given and the image is uncompressed.
bool ReadSizeAndCompression(const TGraphicTiff& directory, const char* compressedFirstLine,
                            bool needsPhotometric, TImageSize& size) {
    const TTiffTagEntry* width = directory.FindTag(tifftag::kImageWidth);
    if (!width) return Refuse(tiffmsg::kNoWidth), false;
    const TTiffTagEntry* height = directory.FindTag(tifftag::kImageLength);
    if (!height) return Refuse(tiffmsg::kNoHeight), false;
    if (needsPhotometric && !directory.FindTag(tifftag::kPhotometricInterpretation))
        return Refuse(tiffmsg::kNoPhotometric), false;
    const TTiffTagEntry* compression = directory.FindTag(tifftag::kCompression);
    if (!compression) return Refuse(tiffmsg::kNoCompression), false;
    if (directory.Value(*compression) != kUncompressed)
        return Refuse(tiffmsg::CompressedMessage(compressedFirstLine)), false;
    size = TImageSize{directory.Value(*width), directory.Value(*height)};
    return true;
}

// The directory's rows of `bits` per pixel, each padded to 4 bytes.
bool ReadRows(const std::string& fileName, const TGraphicTiff& directory, TImageSize size,
              uint32_t bits, TPixelBuffer& buffer) {
    if (!ReadStripData(fileName, directory, buffer)) return Refuse(tiffmsg::kImageData), false;
    const size_t rowLength = RowLength(directory, size.height);
    // Strips that hold less than the image are refused rather than shown in part.
    if (!HoldsRows(buffer, rowLength, size.height, size.width, bits))
        return Refuse(tiffmsg::kImageData), false;
    PadRows(buffer, rowLength, size.height);
    return true;
}

// Sides and bit counts beyond 16 bits are a range error; a picture too large for the
// display bitmap is refused before the platform is asked for it.
void CheckLimits(TImageSize size, uint32_t bits) {
    if (size.width > kLargestSide || size.height > kLargestSide || bits > kLargestSide)
        throw ERangeError(msg::kRangeError);
    CheckPictureAllocation(uint64_t{size.width} * size.height * kDisplayBytesPerPixel);
}

}  // namespace

void ReadBilevelImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target) {
    TImageSize size;
    if (!ReadSizeAndCompression(directory, tiffmsg::kCompressedBilevel, true, size)) return;
    TColorTable table;
    SetBilevelColors(table,
                     directory.Value(*directory.FindTag(tifftag::kPhotometricInterpretation)));
    TPixelBuffer buffer;
    if (!ReadRows(fileName, directory, size, 1, buffer)) return;
    CheckLimits(size, 1);
    MakeBitmap(size.width, size.height, 1, target, buffer, table);
}

void ReadGrayImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target) {
    TImageSize size;
    if (!ReadSizeAndCompression(directory, tiffmsg::kCompressedGrey, false, size)) return;
    const TTiffTagEntry* bitsEntry = directory.FindTag(tifftag::kBitsPerSample);
    if (!bitsEntry) return Refuse(tiffmsg::kNoBitsPerSample);
    const uint32_t bits = directory.Value(*bitsEntry);
    if (bits != 4 && bits != 8) return Refuse(tiffmsg::kGreyBits);
    const TTiffTagEntry* photometric = directory.FindTag(tifftag::kPhotometricInterpretation);
    TColorTable table;
    SetGrayLevels(table, bits, photometric ? directory.Value(*photometric) : kBlackIsZero);
    TPixelBuffer buffer;
    if (!ReadRows(fileName, directory, size, bits, buffer)) return;
    CheckLimits(size, bits);
    MakeBitmap(size.width, size.height, bits, target, buffer, table);
}

void ReadPaletteImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target) {
    TImageSize size;
    if (!ReadSizeAndCompression(directory, tiffmsg::kCompressedPalette, false, size)) return;
    const TTiffTagEntry* bitsEntry = directory.FindTag(tifftag::kBitsPerSample);
    if (!bitsEntry) return Refuse(tiffmsg::kNoBitsPerSample);
    const TTiffTagEntry* colorMap = directory.FindTag(tifftag::kColorMap);
    if (!colorMap) return Refuse(tiffmsg::kNoColorMap);
    const uint32_t bits = directory.Value(*bitsEntry);
    TColorTable table;
    LoadColorMap(table, fileName, directory, *colorMap);
    TPixelBuffer buffer;
    if (!ReadRows(fileName, directory, size, bits, buffer)) return;
    CheckLimits(size, bits);
    // Only 1, 4 and 8 bits have a bitmap description with a colour table. Other counts
    // (2, 16) get no bitmap, the same as a description the platform refuses.
    if (bits != 1 && bits != 4 && bits != 8) return;
    MakeBitmap(size.width, size.height, bits, target, buffer, table);
}

void ReadRgbImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target) {
    TImageSize size;
    if (!ReadSizeAndCompression(directory, tiffmsg::kCompressedRgb, false, size)) return;
    const TTiffTagEntry* bitsEntry = directory.FindTag(tifftag::kBitsPerSample);
    if (!bitsEntry) return Refuse(tiffmsg::kNoBitsPerSample);
    // Pixels may carry samples after red, green and blue (alpha from image editors);
    // those are skipped. Fewer than three is read as three, as if the tag were absent.
    const TTiffTagEntry* samplesEntry = directory.FindTag(tifftag::kSamplesPerPixel);
    const uint32_t samples =
        std::max(samplesEntry ? directory.Value(*samplesEntry) : 0, kRgbSamples);
    // One value stands for every sample. Several are read only as far as the file
    // holds them, whatever SamplesPerPixel claims.
    std::vector<uint32_t> bits;
    if (bitsEntry->count == 1) {
        bits.assign(kRgbSamples, directory.Value(*bitsEntry));
    } else {
        try {
            TFileStream file(fileName, FileMode::OpenRead);
            bits = directory.Values(file, *bitsEntry, samples);
        } catch (const EFOpenError&) {
        }
    }
    if (bits.size() < kRgbSamples ||
        std::any_of(bits.begin(), bits.end(), [](uint32_t b) { return b != 8; }))
        return Refuse(tiffmsg::kRgbBits);
    const TTiffTagEntry* planar = directory.FindTag(tifftag::kPlanarConfiguration);
    if (planar && directory.Value(*planar) != kInterleaved) return Refuse(tiffmsg::kRgbPlanar);

    TPixelBuffer buffer;
    if (!ReadStripData(fileName, directory, buffer)) return Refuse(tiffmsg::kImageData);
    const size_t rowLength = RowLength(directory, size.height);
    if (!HoldsRows(buffer, rowLength, size.height, size.width, uint64_t{8} * samples))
        return Refuse(tiffmsg::kImageData);
    if (samples == kRgbSamples) {
        SwapRedBlue(buffer, size_t{size.width} * size.height);
        PadRows(buffer, rowLength, size.height);
    } else {
        buffer = KeepFirstThreeSamples(buffer, rowLength, size.width, size.height, samples);
    }
    CheckLimits(size, 24);
    TColorTable unused;
    ResetColorTable(unused);
    MakeBitmap(size.width, size.height, 24, target, buffer, unused);
}

void ReadTiffFile(const std::string& fileName, TBitmap& target) {
    TFileTiff file;
    file.SetFileName(fileName);
    if (!file.Valid()) return Refuse(tiffmsg::NotTiffMessage(fileName));
    for (int index = 0; index < file.DirectoryCount(); ++index) {
        // Directories are counted in 8 bits.
        if (index > UINT8_MAX) throw ERangeError(msg::kRangeError);
        const TGraphicTiff& directory = *file.GetDirectory(static_cast<uint8_t>(index));
        const TTiffTagEntry* photometricEntry =
            directory.FindTag(tifftag::kPhotometricInterpretation);
        if (!photometricEntry) return Refuse(tiffmsg::kNoPhotometric);
        const uint32_t photometric = directory.Value(*photometricEntry);
        if (photometric > kPalette)
            return Refuse(tiffmsg::kBadPhotometric + std::to_string(photometric));
        if (photometric == kRgb) {
            ReadRgbImage(fileName, directory, target);
        } else if (photometric == kPalette) {
            ReadPaletteImage(fileName, directory, target);
        } else {
            const TTiffTagEntry* bitsEntry = directory.FindTag(tifftag::kBitsPerSample);
            const uint32_t bits = bitsEntry ? directory.Value(*bitsEntry) : 1;
            // Grey of other depths (16 bits and the like) is passed over.
            if (bits == 1)
                ReadBilevelImage(fileName, directory, target);
            else if (bits == 4 || bits == 8)
                ReadGrayImage(fileName, directory, target);
        }
    }
}

}  // namespace vardel
