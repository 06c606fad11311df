// Finds a window by its title on the X display and asks it to close, as its title-bar
// button does (the WM_DELETE_WINDOW message of the window-manager protocols). Prints
// the window's size as WIDTHxHEIGHT.
//
//   close_window TITLE SECONDS
//
// Exit status 0 when the window showed and was asked to close, 1 when it did not
// show within SECONDS, 2 for bad usage or no display.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string Text(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1024), nullptr),
        &std::free);
    if (!reply) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<size_t>(xcb_get_property_value_length(reply.get())));
}

struct Atoms {
    xcb_atom_t netName, utf8, protocols, deleteWindow;
};

// A viewable window with this title, searched two levels down (a window manager puts
// its frame between the root and the program's window).
xcb_window_t Find(xcb_connection_t* c, xcb_window_t parent, const std::string& title,
                  const Atoms& a, int depth) {
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr),
                                       &std::free);
    if (!tree) return XCB_WINDOW_NONE;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t w = children[i];
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr),
            &std::free);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        if (Text(c, w, a.netName, a.utf8) == title ||
            Text(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING) == title)
            return w;
        if (depth > 0) {
            const xcb_window_t found = Find(c, w, title, a, depth - 1);
            if (found != XCB_WINDOW_NONE) return found;
        }
    }
    return XCB_WINDOW_NONE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: close_window TITLE SECONDS\n");
        return 2;
    }
    const std::string title = argv[1];
    const int tenths = std::atoi(argv[2]) * 10;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "close_window: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const Atoms atoms{Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"), Atom(c, "WM_PROTOCOLS"),
                      Atom(c, "WM_DELETE_WINDOW")};
    for (int attempt = 0; attempt < tenths; ++attempt) {
        const xcb_window_t w = Find(c, root, title, atoms, 2);
        if (w == XCB_WINDOW_NONE) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr), &std::free);
        if (geometry) std::printf("%dx%d\n", geometry->width, geometry->height);
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = w;
        message.type = atoms.protocols;
        message.data.data32[0] = atoms.deleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
        xcb_flush(c);
        xcb_disconnect(c);
        return 0;
    }
    xcb_disconnect(c);
    std::fprintf(stderr, "close_window: no window titled \"%s\" showed\n", title.c_str());
    return 1;
}
