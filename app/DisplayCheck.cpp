#include "app/DisplayCheck.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace vardel {

bool DisplayAvailable(std::string& reason) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    // A platform chosen by hand (offscreen, wayland, vnc…) is Qt's to check.
    if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0) return true;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!display || !*display) {
        if (wayland && *wayland && !(platform && *platform)) return true;
        reason = "the DISPLAY environment variable is not set";
        return false;
    }
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display, &screen);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (!reachable) reason = std::string("the X display \"") + display + "\" cannot be reached";
    return reachable;
}

}  // namespace vardel
