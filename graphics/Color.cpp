#include "graphics/Color.h"

#include "platform/gdi/Gdi.h"

namespace vardel {

uint32_t ResolveColor(TColor color) {
    if (color < 0) return gdi::GetSysColor(color & 0xFF);
    return static_cast<uint32_t>(color);
}

}  // namespace vardel
