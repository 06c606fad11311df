// How libpng's failures come back to the callers of Png.h (inside platform/gdi only).
//
// libpng reports a fatal error by calling the error handler, which must not return.
// Throwing through the library's C frames is not something we can rely on, so the
// handler keeps the reason and jumps back to the frame that started the library call
// (Guarded), which answers false.
#pragma once

#include <png.h>

#include <cstddef>
#include <cstdint>

namespace vardel::gdi::png {

// libpng's error pointer: where the reason of a failure is kept.
struct FailureText {
    char text[160] = "";
};

// A read or write structure whose errors keep their text in `failure` and jump back
// to Guarded; warnings (damaged ancillary chunks, which libpng drops) are silent.
// Null when out of memory.
png_structp CreateReadStruct(FailureText& failure);
png_structp CreateWriteStruct(FailureText& failure);

// Runs body(context); false when libpng failed inside it. body must own no objects
// with destructors (only the library's calls and plain values): a jump out of it
// skips them.
bool Guarded(png_structp png, void (*body)(void*), void* context);

template <typename F>
bool Guarded(png_structp png, F& body) {
    return Guarded(
        png, [](void* f) { (*static_cast<F*>(f))(); }, &body);
}

}  // namespace vardel::gdi::png
