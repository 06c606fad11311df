// A write on a view's surface whose notice would find everything done (repaint
// requested, size right, mask outdated, bitmap marked modified) skips the change chain;
// each event that could make a notice do something again must make the next write go
// all the way, so that nobody sees a difference.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "graphics/Bitmap.h"
#include "graphics/Image.h"
#include "tests/graphics/TestSupport.h"

using namespace vardel;
using vardel::test::Fill;

namespace {
// The main window's arrangement: a view that sizes itself to its picture, in a window.
struct TScene {
    TWindow window{"Form1"};
    TImage view{"Image1"};
    TBitmap other;  // for the cases that share or draw the view's pixels
    TScene() {
        window.SetClientSize(100, 100);
        view.SetParent(&window);
        view.SetAutoSize(true);
        TBitmap bitmap;
        bitmap.SetPixelLayout(TPixelLayout::Format24Bit);
        Fill(bitmap, 8, 6, clRed);
        view.Picture().AssignGraphic(&bitmap);
        // A few writes, so that the next ones find everything done.
        for (int x = 0; x < 3; ++x) Surface().WritePixel(x, 0, clBlue);
        window.PaintNow();
        for (int x = 0; x < 3; ++x) Surface().WritePixel(x, 1, clBlue);
    }
    TBitmap& Bitmap() { return *static_cast<TBitmap*>(view.Picture().Graphic()); }
    TCanvas& Surface() { return view.Surface(); }
};

struct TCase {
    const char* event;
    std::function<void(TScene&, int& heard)> happen;
    TColor written;  // at (5, 5) after the event
    // What the write after the event must have done.
    std::function<void(TScene&, int heard)> check;
};
}  // namespace

TEST(ChangeNotices, TheWriteAfterEveryEventThatMattersIsToldAllTheWay) {
    auto counter = [](int& heard) { return [&heard](auto*) { ++heard; }; };
    const std::vector<TCase> cases = {
        {"a hook before changes",
         [&](TScene& s, int& heard) { s.Surface().OnBeforeModify = counter(heard); }, clGreen,
         [](TScene&, int heard) { EXPECT_EQ(heard, 1); }},
        {"a hook after changes",
         [&](TScene& s, int& heard) { s.Surface().OnAfterModify = counter(heard); }, clGreen,
         [](TScene&, int heard) { EXPECT_EQ(heard, 1); }},
        {"a subscriber of the bitmap",
         [&](TScene& s, int& heard) { s.Bitmap().OnModified = counter(heard); }, clGreen,
         [](TScene&, int heard) { EXPECT_EQ(heard, 1); }},
        {"a subscriber of the picture",
         [&](TScene& s, int& heard) { s.view.Picture().OnModified = counter(heard); }, clGreen,
         [](TScene&, int heard) { EXPECT_EQ(heard, 1); }},
        {"the window painted", [](TScene& s, int&) { s.window.PaintNow(); }, clGreen,
         [](TScene& s, int) {
             EXPECT_TRUE(s.window.PaintPending());
             EXPECT_EQ(s.window.DirtyRect(), s.view.BoundsRect());
         }},
        {"the view resized", [](TScene& s, int&) { s.view.SetBounds(2, 3, 4, 4); }, clGreen,
         [](TScene& s, int) {
             EXPECT_EQ(s.view.BoundsRect(), (gdi::RECT{2, 3, 10, 9}));
         }},
        {"the image shared", [](TScene& s, int&) { s.other.Assign(&s.Bitmap()); }, clGreen,
         [](TScene& s, int) {
             EXPECT_EQ(s.Bitmap().ShareCount(), 1);
             EXPECT_EQ(s.Surface().ReadPixel(5, 5), clGreen);
             EXPECT_EQ(s.other.Surface().ReadPixel(5, 5), clRed);
         }},
        {"the mask built",
         [](TScene& s, int&) {
             // Transparent where the bottom-left pixel's colour is; drawing builds the mask.
             s.view.SetTransparent(true);
             Fill(s.other, 8, 6, clWhite);
             s.Surface().WritePixel(0, 5, clBlue);
             s.Surface().WritePixel(1, 5, clBlue);
             s.other.Surface().DrawGraphic(0, 0, &s.Bitmap());
         },
         clBlue,
         [](TScene& s, int) {
             // The pixel written is transparent now: the target keeps its own colour there.
             TBitmap target;
             Fill(target, 8, 6, clWhite);
             target.Surface().DrawGraphic(0, 0, &s.Bitmap());
             EXPECT_EQ(target.Surface().ReadPixel(5, 5), clWhite);
             EXPECT_EQ(target.Surface().ReadPixel(4, 5), clRed);
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.event);
        TScene scene;
        int heard = 0;
        c.happen(scene, heard);
        scene.Surface().WritePixel(5, 5, c.written);
        c.check(scene, heard);
    }
}

TEST(ChangeNotices, WritesInARowAreToldOnceAndLookTheSame) {
    TScene scene;
    // Everything a notice does is done: more writes change only pixels.
    int picture = 0;
    scene.window.PaintNow();
    scene.Surface().WritePixel(7, 5, clGreen);
    const gdi::RECT dirty = scene.window.DirtyRect();
    for (int x = 0; x < 8; ++x) scene.Surface().WritePixel(x, 4, clGreen);
    EXPECT_TRUE(scene.window.PaintPending());
    EXPECT_EQ(scene.window.DirtyRect(), dirty);
    EXPECT_EQ(scene.view.BoundsRect(), (gdi::RECT{0, 0, 8, 6}));
    for (int x = 0; x < 8; ++x) EXPECT_EQ(scene.Surface().ReadPixel(x, 4), clGreen);
    // A listener installed now hears each write again.
    auto own = scene.view.Picture().OnModified;
    scene.view.Picture().OnModified = [&](TPicture* p) {
        ++picture;
        own(p);
    };
    for (int x = 0; x < 8; ++x) scene.Surface().WritePixel(x, 3, clGreen);
    EXPECT_EQ(picture, 8);
}
