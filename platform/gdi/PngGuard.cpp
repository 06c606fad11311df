#include "platform/gdi/PngGuard.h"

#include <csetjmp>
#include <cstring>

namespace vardel::gdi::png {

namespace {

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<FailureText*>(png_get_error_ptr(png));
    std::strncpy(failure->text, message ? message : "", sizeof failure->text - 1);
    failure->text[sizeof failure->text - 1] = '\0';
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

}  // namespace

png_structp CreateReadStruct(FailureText& failure) {
    return png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, OnError, OnWarning);
}

png_structp CreateWriteStruct(FailureText& failure) {
    return png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, OnError, OnWarning);
}

bool Guarded(png_structp png, void (*body)(void*), void* context) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    body(context);
    return true;
}

}  // namespace vardel::gdi::png
