#include "formats/Modules.h"

#include "graphics/Picture.h"

namespace vardel {

void StartPictureModules() {
    // The registry fills its four built-in rows when first used.
    TFileFormatsList::Instance();
}

void StopPictureModules() {}

}  // namespace vardel
