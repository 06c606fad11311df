// Exceptions of the whole system and the fixed English texts that they carry.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace vardel {

// Fixed message texts. The "%s" and "%d" places are filled by Format().
namespace msg {
inline constexpr const char* kStreamRead = "Stream read error";
inline constexpr const char* kStreamWrite = "Stream write error";
inline constexpr const char* kFOpen = "Cannot open file %s";
inline constexpr const char* kFCreate = "Cannot create file %s";
inline constexpr const char* kInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* kZeroDivide = "Floating point division by zero";
inline constexpr const char* kInvalidOp = "Invalid floating point operation";
inline constexpr const char* kOutOfMemory = "Out of memory";
inline constexpr const char* kOutOfResources = "Out of system resources";
inline constexpr const char* kRangeError = "Range check error";
inline constexpr const char* kInvalidGraphic = "Bitmap image is not valid";
inline constexpr const char* kUnknownExtension = "Unknown picture file extension (.%s)";
inline constexpr const char* kNoContext = "Canvas does not allow drawing";
inline constexpr const char* kNoBitmapInImage = "Can only modify an image if it contains a bitmap";
inline constexpr const char* kScanLine = "Scan line index out of range";
inline constexpr const char* kInvalidPixelFormat = "Invalid pixel format";
inline constexpr const char* kWindowDC = "Error creating window device context";
inline constexpr const char* kNoParent = "Control '%s' has no parent window";
inline constexpr const char* kAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* kIconInvalid = "Icon image is not valid";
inline constexpr const char* kIconSize = "Cannot change the size of an icon";
inline constexpr const char* kIconClipboard = "Clipboard does not support Icons";
inline constexpr const char* kIconTransparent = "Cannot change the transparency of an icon";
inline constexpr const char* kMetafileInvalid = "Metafile is not valid";
inline constexpr const char* kAbstractError = "Abstract Error";
inline constexpr const char* kVisibleModal = "Cannot make a visible window modal";
}  // namespace msg

// Replaces each "%s" or "%d" of pattern, left to right, by the next argument.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

#define VARDEL_EXCEPTION(Name, Base)      \
    class Name : public Base {           \
    public:                              \
        using Base::Base;                \
    }

// The silent abort: ends a command without any message.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

VARDEL_EXCEPTION(EConvertError, Exception);
VARDEL_EXCEPTION(EMathError, Exception);
VARDEL_EXCEPTION(EZeroDivide, EMathError);
VARDEL_EXCEPTION(EInvalidOp, EMathError);
VARDEL_EXCEPTION(ERangeError, Exception);
VARDEL_EXCEPTION(EOutOfMemory, Exception);
VARDEL_EXCEPTION(EOutOfResources, EOutOfMemory);
VARDEL_EXCEPTION(EOSError, Exception);
VARDEL_EXCEPTION(EStreamError, Exception);
VARDEL_EXCEPTION(EReadError, EStreamError);
VARDEL_EXCEPTION(EWriteError, EStreamError);
VARDEL_EXCEPTION(EFOpenError, EStreamError);
VARDEL_EXCEPTION(EFCreateError, EStreamError);
VARDEL_EXCEPTION(EInvalidOperation, Exception);
VARDEL_EXCEPTION(EInvalidGraphic, Exception);
VARDEL_EXCEPTION(EInvalidGraphicOperation, Exception);
VARDEL_EXCEPTION(EConvertAssign, Exception);
VARDEL_EXCEPTION(EAbstractError, Exception);

#undef VARDEL_EXCEPTION

}  // namespace vardel
