#include "formats/jpeg/JpegError.h"

#include <utility>

namespace vardel {

EJPEG JpegLibraryError(int code) {
    return EJPEG(Format(kJpegErrorMessage, {std::to_string(code)}));
}

namespace jpeg {
namespace {

TJpegErrorManager& Manager(j_common_ptr info) {
    return *reinterpret_cast<TJpegErrorManager*>(info->err);
}

// Builds the exception in a frame of its own, so that nothing with a destructor is
// alive in ErrorExit when it jumps.
void KeepLibraryError(j_common_ptr info) {
    Manager(info).pending = std::make_exception_ptr(JpegLibraryError(info->err->msg_code));
}

void ErrorExit(j_common_ptr info) {
    KeepLibraryError(info);
    LeaveLibrary(info);
}

// Corrupt-data warnings are many and say nothing a user can act on.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char* buffer) {
    buffer[0] = '\0';
}

}  // namespace

void InstallErrorManager(j_common_ptr info, TJpegErrorManager& manager) {
    // The standard manager supplies the reset handler (warning count and last code
    // back to 0) and the message tables.
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = ErrorExit;
    manager.pub.emit_message = EmitMessage;
    manager.pub.output_message = OutputMessage;
    manager.pub.format_message = FormatMessage;
    manager.pending = nullptr;
    info->err = &manager.pub;
}

void KeepCurrentException(j_common_ptr info) {
    Manager(info).pending = std::current_exception();
}

void LeaveLibrary(j_common_ptr info) {
    std::longjmp(Manager(info).jump, 1);
}

void RunGuarded(TJpegErrorManager& manager, void (*body)(void*), void* context) {
    if (setjmp(manager.jump) != 0) {
        std::exception_ptr error = std::exchange(manager.pending, nullptr);
        if (!error) throw JpegLibraryError(manager.pub.msg_code);
        std::rethrow_exception(error);
    }
    body(context);
}

}  // namespace jpeg
}  // namespace vardel
