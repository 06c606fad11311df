#include "formats/tiff/ReadTiff.h"

#include <algorithm>
#include <new>

#include "formats/tiff/TiffColorTable.h"
#include "formats/tiff/TiffMessages.h"
#include "formats/tiff/TiffRows.h"
#include "formats/tiff/TiffStrips.h"
#include "platform/runtime/Exceptions.h"
#include "platform/ui/Dialogs.h"

namespace vardel {

namespace {

constexpr uint32_t kUncompressed = 1;
constexpr uint32_t kInterleaved = 1;     // PlanarConfiguration: samples of a pixel side by side
constexpr uint32_t kLowestBitFirst = 2;  // FillOrder
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

uint32_t ValueOr(const TGraphicTiff& directory, uint16_t tag, uint32_t missing) {
    const TTiffTagEntry* entry = directory.FindTag(tag);
    return entry ? directory.Value(*entry) : missing;
}

// Sides and bit counts beyond 16 bits are a range error; a picture too large for the
// display bitmap is refused before the platform is asked for it.
void CheckLimits(TImageSize size, uint64_t bits) {
    if (size.width > kLargestSide || size.height > kLargestSide || bits > kLargestSide)
        throw ERangeError(msg::kRangeError);
    CheckPictureAllocation(uint64_t{size.width} * size.height * kDisplayBytesPerPixel);
}

// What the four kinds share once their own tags are read. Everything that can refuse
// the image is checked before any row is read, in this order: the strips lie in the
// file, they hold every row, the sizes are within the limits. Then the rows go strip by
// strip into a new bitmap that the target takes only when all of them are in.
void ReadImage(const std::string& fileName, const TGraphicTiff& directory, TImageSize size,
               TPixelFormat format, TBitmap& target) {
    format.reversedBits = ValueOr(directory, tifftag::kFillOrder, 1) == kLowestBitFirst;
    try {
        TFileStream file(fileName, FileMode::OpenRead);
        TStripStream strips;
        if (!strips.Open(file, directory)) return Refuse(tiffmsg::kImageData);
        // Strips may name the same bytes many times over: what one directory may have
        // read is bounded as one picture is.
        CheckPictureAllocation(strips.Size());
        const size_t rowLength = RowLength(directory, size.height);
        // Strips that hold less than the image are refused rather than shown in part.
        if (!HoldsRows(strips.Size(), rowLength, size.height, size.width, format.bits))
            return Refuse(tiffmsg::kImageData);
        CheckLimits(size, format.rgb ? 24 : format.bits);
        // Only 1, 4 and 8 bits have a colour table: a palette image of other counts (2,
        // 16) gets no bitmap, and neither does an image without pixels, the same as a
        // description that the platform does not take.
        if (!format.rgb && format.bits != 1 && format.bits != 4 && format.bits != 8) return;
        if (size.width == 0 || size.height == 0) return;
        TDecodeResult result = TDecodeResult::kNoBitmap;
        try {
            result = DecodeRows(strips, rowLength, format, size.width, size.height, target);
        } catch (const Exception&) {
            // Making the bitmap or handing it over failed.
        } catch (const std::bad_alloc&) {
        }
        if (result == TDecodeResult::kDataEnded) Refuse(tiffmsg::kImageData);
        if (result == TDecodeResult::kNoBitmap) Refuse(tiffmsg::kNoBitmap);
    } catch (const EFOpenError&) {
        Refuse(tiffmsg::kImageData);
    }
}

}  // namespace

void ReadBilevelImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target) {
    TImageSize size;
    if (!ReadSizeAndCompression(directory, tiffmsg::kCompressedBilevel, true, size)) return;
    TColorTable table;
    SetBilevelColors(table, ValueOr(directory, tifftag::kPhotometricInterpretation, 0));
    ReadImage(fileName, directory, size, TPixelFormat::Indexed(1, table), target);
}

void ReadGrayImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target) {
    TImageSize size;
    if (!ReadSizeAndCompression(directory, tiffmsg::kCompressedGrey, false, size)) return;
    const TTiffTagEntry* bitsEntry = directory.FindTag(tifftag::kBitsPerSample);
    if (!bitsEntry) return Refuse(tiffmsg::kNoBitsPerSample);
    const uint32_t bits = directory.Value(*bitsEntry);
    if (bits != 4 && bits != 8) return Refuse(tiffmsg::kGreyBits);
    TColorTable table;
    SetGrayLevels(table, bits,
                  ValueOr(directory, tifftag::kPhotometricInterpretation, kBlackIsZero));
    ReadImage(fileName, directory, size, TPixelFormat::Indexed(bits, table), target);
}

void ReadPaletteImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target) {
    TImageSize size;
    if (!ReadSizeAndCompression(directory, tiffmsg::kCompressedPalette, false, size)) return;
    const TTiffTagEntry* bitsEntry = directory.FindTag(tifftag::kBitsPerSample);
    if (!bitsEntry) return Refuse(tiffmsg::kNoBitsPerSample);
    const TTiffTagEntry* colorMap = directory.FindTag(tifftag::kColorMap);
    if (!colorMap) return Refuse(tiffmsg::kNoColorMap);
    // An index with samples after it (an alpha sample) has no colour of its own.
    if (ValueOr(directory, tifftag::kSamplesPerPixel, 1) > 1)
        return Refuse(tiffmsg::kPaletteSamples);
    const uint32_t bits = directory.Value(*bitsEntry);
    TColorTable table;
    LoadColorMap(table, fileName, directory, *colorMap);
    ReadImage(fileName, directory, size, TPixelFormat::Indexed(bits, table), target);
}

void ReadRgbImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target) {
    TImageSize size;
    if (!ReadSizeAndCompression(directory, tiffmsg::kCompressedRgb, false, size)) return;
    const TTiffTagEntry* bitsEntry = directory.FindTag(tifftag::kBitsPerSample);
    if (!bitsEntry) return Refuse(tiffmsg::kNoBitsPerSample);
    // Pixels may carry samples after red, green and blue (alpha from image editors);
    // those are skipped. Fewer than three is read as three, as if the tag were absent.
    const uint32_t samples =
        std::max(ValueOr(directory, tifftag::kSamplesPerPixel, 0), kRgbSamples);
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
    if (ValueOr(directory, tifftag::kPlanarConfiguration, kInterleaved) != kInterleaved)
        return Refuse(tiffmsg::kRgbPlanar);
    ReadImage(fileName, directory, size, TPixelFormat::Rgb(samples), target);
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
            const uint32_t bits = ValueOr(directory, tifftag::kBitsPerSample, 1);
            // Grey of other depths (16 bits and the like) is passed over.
            if (bits == 1)
                ReadBilevelImage(fileName, directory, target);
            else if (bits == 4 || bits == 8)
                ReadGrayImage(fileName, directory, target);
        }
    }
}

}  // namespace vardel
