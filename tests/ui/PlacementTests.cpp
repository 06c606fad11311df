// Where windows go and how much of their client area they show, as plain numbers.
#include <gtest/gtest.h>

#include "platform/ui/qt/WindowPlacement.h"

using namespace vardel;

namespace {

struct Case {
    const char* what;
    QSize client;
    int leastWidth;
    QPoint position;
    // Expected:
    QPoint at;
    QSize shown;  // the window's own area, menu bar included
    QSize view;
    bool horizontal, vertical;
};

// A screen of 1600 × 1000 with a panel of 40 at the bottom, a frame of 4 around the
// window and a title bar of 19, scroll bars 15 wide, and a menu bar of 20 per row
// whose items take 900 pixels in all.
TPlacement Place(const Case& c) {
    TPlacementRequest request;
    request.client = c.client;
    request.leastWidth = c.leastWidth;
    request.position = c.position;
    request.screen = QRect(0, 0, 1600, 960);
    request.frame = QMargins(4, 23, 4, 4);
    request.scrollBars = QSize(15, 15);
    request.menuHeight = [](int width) { return 20 * ((900 + width - 1) / width); };
    return PlaceWindow(request);
}

}  // namespace

TEST(Placement, CapsAtTheScreenScrollsTheRestAndMovesOnlyAsFarAsItMust) {
    const Case cases[] = {
        {"fits", {721, 321}, 0, {290, 173}, {290, 173}, {721, 361}, {721, 321}, false, false},
        {"larger both ways: as large as the screen holds, at its top-left corner",
         {4000, 3000},
         0,
         {290, 173},
         {0, 0},
         {1592, 933},
         {1577, 898},
         true,
         true},
        {"taller only: the vertical bar widens the window",
         {500, 3000},
         0,
         {290, 173},
         {290, 0},
         {515, 933},
         {500, 893},
         false,
         true},
        {"taller, and its bar no longer fits across: both bars",
         {1590, 3000},
         0,
         {0, 0},
         {0, 0},
         {1592, 933},
         {1577, 898},
         true,
         true},
        {"wider only: the horizontal bar takes a row",
         {3000, 400},
         0,
         {290, 173},
         {0, 173},
         {1592, 435},
         {1592, 400},
         true,
         false},
        {"narrower than the menu needs: the window keeps the least width",
         {10, 10},
         480,
         {290, 173},
         {290, 173},
         {480, 50},
         {480, 10},
         false,
         false},
        {"near the right and bottom edges: moved back just enough",
         {700, 500},
         0,
         {1200, 800},
         {892, 393},
         {700, 540},
         {700, 500},
         false,
         false},
        {"above and left of the screen: brought onto it",
         {100, 100},
         0,
         {-50, -20},
         {0, 0},
         {100, 280},
         {100, 100},
         false,
         false},
    };
    for (const Case& c : cases) {
        const TPlacement p = Place(c);
        EXPECT_EQ(p.position, c.at) << c.what;
        EXPECT_EQ(QSize(p.width, p.Height()), c.shown) << c.what;
        EXPECT_EQ(p.view, c.view) << c.what;
        EXPECT_EQ(p.horizontal, c.horizontal) << c.what;
        EXPECT_EQ(p.vertical, c.vertical) << c.what;
        // Whatever the case, the window and its frame lie on the screen.
        EXPECT_GE(p.position.x(), 0) << c.what;
        EXPECT_LE(p.position.x() + 4 + p.width + 4, 1600) << c.what;
        EXPECT_LE(p.position.y() + 23 + p.Height() + 4, 960) << c.what;
        // The view and the bars fill the area below the menu bar.
        EXPECT_EQ(p.view.height() + (p.horizontal ? 15 : 0), p.areaHeight) << c.what;
        EXPECT_EQ(p.view.width() + (p.vertical ? 15 : 0), p.width) << c.what;
    }
}
