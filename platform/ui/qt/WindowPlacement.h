// Where a window goes on the screen and how much of its client area it shows. The
// layouts give every window a position and a client area; the desktop may be smaller
// than that (a large picture, a high scale factor), and a window that follows a small
// picture may be narrower than its menu bar can be read at. The window then shows as
// much as the screen's available area holds, scrolls the rest, and moves only as far
// as it must to lie wholly on the screen.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

namespace vardel {

struct TPlacementRequest {
    QSize client;        // the client area as laid out: what the window holds
    int leastWidth = 0;  // the window is never shown narrower (its menu bar's need)
    QPoint position;     // the frame's top-left corner as the layout or the user put it
    QRect screen;        // the available area of the screen the window is on
    QMargins frame;      // title bar and borders around the window's own area
    QSize scrollBars;    // width of a vertical scroll bar, height of a horizontal one
    std::function<int(int width)> menuHeight;  // the menu bar's height at a width; none: 0
};

struct TPlacement {
    QPoint position;  // the frame's top-left corner
    int width = 0;    // the window's own area: the menu bar above the view
    int menuHeight = 0;
    int areaHeight = 0;  // below the menu bar: the view and its scroll bars
    QSize view;          // where the client area shows, beside the scroll bars
    bool horizontal = false, vertical = false;  // which scroll bars show
    int Height() const { return menuHeight + areaHeight; }
};

TPlacement PlaceWindow(const TPlacementRequest& request);

}  // namespace vardel
