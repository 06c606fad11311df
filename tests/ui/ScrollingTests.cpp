// A window that fits on the screen shows no scroll bars and keeps what the user did to
// it. (Windows larger than the screen are tested with the workbench's large pictures.)
#include <QScrollBar>

#include <gtest/gtest.h>

#include "platform/ui/qt/FormWidget.h"
#include "tests/ui/UiTestSupport.h"

using namespace vardel;
using namespace vardel::test;

TEST(Scrolling, AWindowThatFitsShowsNoScrollBarsAndKeepsWhatTheUserDidToIt) {
    TForm form("Form");
    form.SetBounds(20, 30, 300, 200);
    form.Present();
    ProcessEvents();
    auto* window = static_cast<TFormWidget*>(form.Widget());
    EXPECT_FALSE(window->HorizontalScrollBar()->isVisible());
    EXPECT_FALSE(window->VerticalScrollBar()->isVisible());
    EXPECT_EQ(window->pos(), QPoint(20, 30));
    window->resize(250, 150);
    ProcessEvents();
    EXPECT_EQ(form.ClientWidth(), 250);
    EXPECT_EQ(form.ClientHeight(), 150);
    EXPECT_FALSE(window->VerticalScrollBar()->isVisible());
    // Moved by the user to where every window starts, it stays there when its client
    // area changes.
    window->move(0, 0);
    ProcessEvents();
    EXPECT_EQ(form.Left(), 0);
    form.SetClientSize(260, 160);
    ProcessEvents();
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    form.Dismiss();
}
