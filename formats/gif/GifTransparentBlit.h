// Copying a frame onto a target through its mask, so that transparent pixels leave
// the target as it was.
#pragma once

#include <string>

#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exceptions.h"

namespace vardel {

// A memory context compatible with the screen, with a bitmap selected into it; both
// are given back when it goes out of scope.
class TMemoryContext {
  public:
    explicit TMemoryContext(const gdi::HBITMAP& bitmap);
    ~TMemoryContext();
    TMemoryContext(const TMemoryContext&) = delete;
    TMemoryContext& operator=(const TMemoryContext&) = delete;
    const gdi::HDC& dc() const { return dc_; }

  private:
    gdi::HDC dc_;
    gdi::HBITMAP old_;
};

// Copies the source rectangle into the target rectangle (scaled when the sizes
// differ); target pixels under mask bit 1 stay as they were. The mask is the bitmap
// selected into maskContext, read from (mx, my) at the source's size.
void TransparentBlit(const gdi::HDC& target, int x, int y, int width, int height,
                     const gdi::HDC& source, int sx, int sy, int sw, int sh,
                     const gdi::HDC& maskContext, int mx, int my);

// A zero handle from the platform becomes EOutOfResources with the platform's text.
template <class Handle>
Handle CheckedHandle(Handle handle) {
    if (!handle) {
        const std::string text = gdi::SystemErrorMessage(gdi::GetLastError());
        throw EOutOfResources(text.empty() ? msg::kOutOfResources : text);
    }
    return handle;
}

}  // namespace vardel
