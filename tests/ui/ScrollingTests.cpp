// Windows larger than the screen: capped at its available area, the client area
// scrolling under scroll bars, controls keeping their sizes and coordinates. (The
// repaint of an uncovered window is tested with "Cargar JPEG".)
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include "platform/ui/qt/FormWidget.h"
#include "tests/ui/UiTestSupport.h"

using namespace vardel;
using namespace vardel::test;

namespace {

struct TMove {
    int x, y;
    bool operator==(const TMove&) const = default;
};

// A mouse move that the desktop delivers at a point of the window (not of one of its
// children): the window finds the child under it.
void MoveMouseInWindow(QWidget* window, QPoint at) {
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(window->mapToGlobal(at)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &event);
}

QColor ShownInWindow(QWidget* window, QPoint at) {
    return window->grab().toImage().pixelColor(at);
}

}  // namespace

TEST(Scrolling, AWindowLargerThanTheScreenShowsWhatFitsAndScrollsTheRest) {
    TForm form("Form");
    form.SetBounds(290, 173, 400, 300);
    TSwatch page(form, 0x0000FF);
    page.SetBounds(0, 0, 3000, 2000);
    TSwatch marker(form, 0x00FF00);
    marker.SetBounds(1500, 1000, 10, 10);
    std::vector<TMove> moves;
    page.OnMouseMove = [&](TControl*, TShiftState, int x, int y) { moves.push_back({x, y}); };
    form.SetAutoSize(true);
    form.Present();
    ProcessEvents();

    auto* window = static_cast<TFormWidget*>(form.Widget());
    const QRect screen = window->screen()->availableGeometry();
    // The client area and the controls keep the sizes they are laid out with.
    EXPECT_EQ(form.ClientWidth(), 3000);
    EXPECT_EQ(form.ClientHeight(), 2000);
    EXPECT_EQ(form.ClientWidget()->size(), QSize(3000, 2000));
    EXPECT_EQ(page.Width(), 3000);
    // The window is as large as the screen holds, and lies on it.
    EXPECT_TRUE(screen.contains(window->frameGeometry()))
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();
    EXPECT_GT(window->width(), screen.width() - 100);
    QScrollBar* across = window->HorizontalScrollBar();
    QScrollBar* down = window->VerticalScrollBar();
    ASSERT_TRUE(across->isVisible() && down->isVisible());
    const QSize view = window->Placement().view;
    EXPECT_EQ(across->maximum(), 3000 - view.width());
    EXPECT_EQ(down->maximum(), 2000 - view.height());
    const QPoint corner = down->geometry().bottomRight() + QPoint(0, across->height());
    EXPECT_EQ(window->rect().bottomRight(), corner);
    // The corner between the bars shows the window's colour, not the page beneath.
    const gdi::COLORREF face = form.Color();
    EXPECT_EQ(ShownInWindow(window, corner - QPoint(2, 2)),
              QColor(gdi::GetRValue(face), gdi::GetGValue(face), gdi::GetBValue(face)));

    // Scrolled to the marker, it shows at the top-left of the view, and the mouse there
    // is over the page at the page's own coordinates.
    across->setValue(1490);
    down->setValue(990);
    ProcessEvents();
    EXPECT_EQ(form.ClientWidget()->pos(), QPoint(-1490, -990));
    EXPECT_EQ(ShownInWindow(window, {15, 15}), QColor(0, 255, 0));
    EXPECT_EQ(ShownInWindow(window, {5, 5}), QColor(255, 0, 0));
    MoveMouseInWindow(window, {30, 40});
    EXPECT_EQ(moves, (std::vector<TMove>{{1520, 1030}}));

    // The keys and the wheel scroll.
    down->setValue(100);
    PressKey(Qt::Key_PageDown);
    EXPECT_EQ(down->value(), 100 + view.height());
    PressKey(Qt::Key_End);
    EXPECT_EQ(down->value(), down->maximum());
    PressKey(Qt::Key_Home);
    EXPECT_EQ(down->value(), 0);
    PressKey(Qt::Key_Right);
    EXPECT_EQ(across->value(), 1510);
    PressKey(Qt::Key_Down);
    EXPECT_EQ(down->value(), 20);
    QWheelEvent wheel(QPointF(50, 50), QPointF(window->mapToGlobal(QPoint(50, 50))), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &wheel);
    EXPECT_GT(down->value(), 20);
    form.Dismiss();
}

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
