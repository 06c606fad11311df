// How libjpeg's failures become this system's exceptions.
//
// libjpeg reports a fatal error by calling the error manager's error_exit, which
// must not return. Throwing a C++ exception through the library's C frames is not
// something we can rely on, so error_exit stores the exception and jumps back to
// the C++ caller that started the library call (RunGuarded), which raises it there.
// Callbacks of ours that run inside the library (source, progress) use the same
// way out for any exception of their own.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <exception>
#include <string>
#include <type_traits>

#include <jpeglib.h>

#include "platform/runtime/Exceptions.h"

namespace vardel {

inline constexpr const char* kJpegErrorMessage = "JPEG error #%d";

// Raised for every error that libjpeg reports, and for data that this module
// refuses on its own account.
class EJPEG : public EInvalidGraphic {
  public:
    using EInvalidGraphic::EInvalidGraphic;
};

// "JPEG error #N" with libjpeg's message code.
EJPEG JpegLibraryError(int code);

namespace jpeg {

// libjpeg's error manager extended with the way back to the C++ caller. libjpeg
// sees only `pub`, which must stay the first member.
struct TJpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    std::exception_ptr pending;
};
static_assert(std::is_standard_layout_v<TJpegErrorManager>);

// Fatal errors jump back to the guarded caller; warnings and messages are silent.
void InstallErrorManager(j_common_ptr info, TJpegErrorManager& manager);

// Keeps the exception being handled, to be raised again by the guarded caller.
// Call inside a catch block, then leave the catch block and call LeaveLibrary.
void KeepCurrentException(j_common_ptr info);
// Returns to the guarded caller. No object with a destructor may be alive in the
// calling frame.
[[noreturn]] void LeaveLibrary(j_common_ptr info);

// Runs body(context); an error inside libjpeg, or an exception kept by a callback,
// is raised from here. body must not own objects with destructors (only the
// library's calls and plain values), as a jump out of it skips them.
void RunGuarded(TJpegErrorManager& manager, void (*body)(void*), void* context);

template <typename F>
void RunGuarded(TJpegErrorManager& manager, F&& body) {
    using Body = std::remove_reference_t<F>;
    RunGuarded(
        manager, [](void* f) { (*static_cast<Body*>(f))(); }, &body);
}

}  // namespace jpeg
}  // namespace vardel
