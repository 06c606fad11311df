// The texts that the TIFF reader shows in the message dialog.
#pragma once

#include <string>

namespace vardel::tiffmsg {

inline constexpr const char* kNoPhotometric = "Error reading tag Photometric interpretation";
inline constexpr const char* kBadPhotometric = "Error evaluating Photometric interpretation: ";
inline constexpr const char* kNoWidth = "Error reading tag Image Width";
inline constexpr const char* kNoHeight = "Error reading tag Image Height";
inline constexpr const char* kNoCompression = "Error reading tag Compression";
inline constexpr const char* kNoBitsPerSample = "Error reading tag Bits Per Sample";
inline constexpr const char* kGreyBits = "Error: Bits Per Sample not 4 or 8";
inline constexpr const char* kNoColorMap = "Error reading tag Color Table Offset";
inline constexpr const char* kRgbBits = "Error: Bits Per Sample (RGB) not 8";
// Samples stored plane after plane are not read: only interleaved pixels are.
inline constexpr const char* kRgbPlanar = "Error: Planar Configuration (RGB) not 1";
// A palette index with samples after it (alpha) is not read.
inline constexpr const char* kPaletteSamples = "Error: Samples Per Pixel (Palette) not 1";
inline constexpr const char* kImageData = "Error reading image data";
inline constexpr const char* kNoBitmap = "Out Of Memory ";

inline constexpr const char* kCompressedBilevel = "Cant read compressed bilevel image";
inline constexpr const char* kCompressedGrey = "Cant read compressed Gray Scale Image";
inline constexpr const char* kCompressedPalette = "Cant read compressed ColorPaletImage";
inline constexpr const char* kCompressedRgb = "Cant read compressed RGB Full Color Image";

// Where people who add a compression are asked to send it.
inline constexpr const char* kContactAddress = "the Vardel project's issue tracker";

inline std::string NotTiffMessage(const std::string& fileName) {
    return "<" + fileName + "> is not a valid TIFF file";
}

// A kind's "Cant read compressed" message: its first line, then the invitation, with
// bare carriage returns as line breaks.
inline std::string CompressedMessage(const char* firstLine) {
    return std::string(firstLine) +
           "\r\rfeel free to implement this type of image\rand send it back to " + kContactAddress;
}

}  // namespace vardel::tiffmsg
