// Whether the workbench can open its windows here, asked before Qt starts (Qt itself
// ends the process with a long report when it finds no display).
#pragma once

#include <string>

namespace vardel {

// True when Qt should find a display; otherwise false with the reason, as the end of
// a sentence ("the DISPLAY environment variable is not set").
bool DisplayAvailable(std::string& reason);

}  // namespace vardel
