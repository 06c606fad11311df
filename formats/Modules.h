// Module start-up and shutdown of the picture kinds, in their fixed order: the
// registry's own rows on first use, then the GIF reader's row, then the JPEG
// reader's two rows, then the PNG picture's row. Shutdown removes them again in the
// reverse order.
#pragma once

namespace vardel {

void StartPictureModules();
void StopPictureModules();

// Starts the modules for the lifetime of the object.
class TPictureModules {
public:
    TPictureModules() { StartPictureModules(); }
    ~TPictureModules() { StopPictureModules(); }
    TPictureModules(const TPictureModules&) = delete;
    TPictureModules& operator=(const TPictureModules&) = delete;
};

}  // namespace vardel
