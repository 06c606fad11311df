#include "graphics/Color.h"

#include "platform/gdi/Gdi.h"

namespace vardel {

uint32_t SystemColorValue(int index) { return gdi::GetSysColor(index); }

}  // namespace vardel
