// The GIF module's exception and the fixed texts of its errors and warnings.
#pragma once

#include "platform/runtime/Exceptions.h"

namespace vardel {

class GIFException : public Exception {
  public:
    using Exception::Exception;
};

namespace gifmsg {
// Errors of reading.
inline constexpr const char* kInvalidSignature = "Invalid GIF signature";
inline constexpr const char* kScreenColors =
    "Invalid number of colors specified in Screen Descriptor";
inline constexpr const char* kImageColors =
    "Invalid number of colors specified in Image Descriptor";
inline constexpr const char* kPrematureEnd = "Premature end of data";
inline constexpr const char* kUnknownExtension = "Unknown extension type";
inline constexpr const char* kBadIntroducer = "Invalid extension introducer";
inline constexpr const char* kLabelMismatch =
    "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* kAppBlockSize = "Unsupported Application Extension block size";
inline constexpr const char* kInvalidData = "Invalid GIF data";
inline constexpr const char* kCircularEntry = "Circular decoder table entry";
// Data that the decoder's fixed tables cannot hold.
inline constexpr const char* kCodeSize = "Invalid LZW minimum code size";
inline constexpr const char* kChainTooLong = "Decoder table chain too long";

// Warnings of reading (severity 1).
inline constexpr const char* kUnknownBlock = "Unknown GIF block type";
inline constexpr const char* kBadTrailer = "Invalid Image trailer";
inline constexpr const char* kFrameSize = "Image exceeds Logical Screen size";
inline constexpr const char* kBitUnderrun = "Decoder bit buffer under-run";

// Errors of writing.
inline constexpr const char* kUnsupportedVersion = "Unsupported GIF version";
inline constexpr const char* kColorNotInTable = "Color not in color table";

// Rendering.
inline constexpr const char* kUnsupportedPixelFormat = "Unsupported PixelFormat";
inline constexpr const char* kNoDIB = "Image has no DIB";
inline constexpr const char* kDIBMemory = "Failed to allocate memory for GIF DIB";
inline constexpr const char* kNoColorTable = "No global or local color table defined";
// A warning of painters (severity 1): the background index lies beyond the global map.
inline constexpr const char* kInvalidColorIndex = "Invalid color index";

// Size changes of an image.
inline constexpr const char* kWidthTooSmall = "Image width too small for contained frames";
inline constexpr const char* kHeightTooSmall = "Image height too small for contained frames";
inline constexpr const char* kInvalidDimensions = "Invalid image dimensions";
}  // namespace gifmsg

// Every warning of the reading path carries this severity.
inline constexpr int kGIFWarningSeverity = 1;

}  // namespace vardel
