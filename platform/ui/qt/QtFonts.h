// Fonts of the layouts on the desktop.
#pragma once

#include <QFont>
#include <string>

namespace vardel {

// "MS Sans Serif" (the layouts' font) becomes the desktop's sans-serif font; other
// names are taken as they are. A negative height is the character height in pixels,
// a positive one the cell height (as the layouts count them).
QFont DesktopFont(const std::string& name, int height);

}  // namespace vardel
