// The workbench with pictures larger than the screen and smaller than the menu bar,
// and at any scale factor (this suite runs once more with QT_SCALE_FACTOR=2 on a
// 1600 × 1000 screen).
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWindow>

#include "app/Unit9.h"
#include "platform/ui/qt/FormWidget.h"
#include "platform/ui/qt/MenuBar.h"
#include "tests/app/WorkbenchFixture.h"
#include "tests/ui/UiTestSupport.h"

using namespace vardel;
using namespace vardel::test;

namespace {

TFormWidget& WindowOf(TForm& form) {
    return *static_cast<TFormWidget*>(form.Widget());
}

QRect ScreenOf(TForm& form) {
    return form.Widget()->screen()->availableGeometry();
}

// A mouse move that the desktop delivers at a point of the window: the window finds
// the child under it.
void MoveMouseInWindow(TForm& form, QPoint at) {
    QWidget* window = form.Widget();
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(window->mapToGlobal(at)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &event);
}

// A click of the left button there.
void ClickInWindow(TForm& form, QPoint at) {
    QWidget* window = form.Widget();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(at), QPointF(window->mapToGlobal(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(window->windowHandle(), &event);
    }
}

// The window lies on the screen, where the layout puts it when it fits there with a
// frame, otherwise moved back onto the screen and no further.
void ExpectPlaced(TForm& form, QPoint laidOut) {
    const QRect screen = ScreenOf(form);
    QWidget* window = form.Widget();
    EXPECT_TRUE(screen.contains(window->frameGeometry())) << form.Name();
    const QSize framed =
        window->size() + QSize(2 * kFrameBorder, kTitleBarHeight + 2 * kFrameBorder);
    if (screen.contains(QRect(laidOut, framed))) {
        EXPECT_EQ(window->pos(), laidOut) << form.Name();
    } else {
        EXPECT_LE(window->pos().x(), laidOut.x()) << form.Name();
        EXPECT_LE(window->pos().y(), laidOut.y()) << form.Name();
    }
}

// What the window shows at a point (the middle of the device pixels that show it).
QColor ShownInWindow(TForm& form, QPoint at) {
    const QImage shown = form.Widget()->grab().toImage();
    const double ratio = shown.devicePixelRatio();
    return shown.pixelColor(static_cast<int>((at.x() + 0.5) * ratio),
                            static_cast<int>((at.y() + 0.5) * ratio));
}

QColor QtColor(TColor c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// Pixels that tell where they are.
TColor Place(int x, int y) {
    return Rgb(x & 0xFF, y & 0xFF, ((x >> 8) << 4 | (y >> 8)) & 0xFF);
}

}  // namespace

TEST_F(WorkbenchTest, PicturesLargerThanTheScreenScrollInWindowsThatFitOnIt) {
    const int width = 1800, height = 1200;
    PutPicture(*Form1->Image1, width, height, Place);
    Form1->Present();
    ProcessEvents();
    TFormWidget& window = WindowOf(*Form1);
    // The view and the window's client area keep the picture's size.
    EXPECT_EQ(SizeOf(*Form1->Image1), Size(width, height));
    EXPECT_EQ(ClientSizeOf(*Form1), Size(width, height));
    EXPECT_EQ(Form1->ClientWidget()->size(), QSize(width, height));
    ExpectPlaced(*Form1, {290, 173});
    QScrollBar* across = window.HorizontalScrollBar();
    QScrollBar* down = window.VerticalScrollBar();
    ASSERT_TRUE(across->isVisible() && down->isVisible());

    // Scrolled into the middle, the window shows the middle of the picture, and the
    // brush paints where the mouse is over the picture.
    const int x0 = across->maximum() / 2, y0 = down->maximum() / 2;
    ASSERT_GT(x0, 100);
    ASSERT_GT(y0, 100);
    across->setValue(x0);
    down->setValue(y0);
    ProcessEvents();
    const int top = window.Placement().menuHeight;
    EXPECT_EQ(Form1->ClientWidget()->pos(), QPoint(-x0, top - y0));
    EXPECT_EQ(ShownInWindow(*Form1, {10, top + 20}), QtColor(Place(x0 + 10, y0 + 20)));
    Form1->Habilitarborrado1->Click();
    MoveMouseInWindow(*Form1, {30, top + 40});
    for (int y = y0 + 39; y <= y0 + 41; ++y)
        for (int x = x0 + 29; x <= x0 + 31; ++x)
            EXPECT_EQ(PixelOf(*Form1->Image1, x, y), 0xFFFFFF) << x << "," << y;
    EXPECT_EQ(PixelOf(*Form1->Image1, x0 + 28, y0 + 40), Place(x0 + 28, y0 + 40));
    EXPECT_EQ(PixelOf(*Form1->Image1, 30, 40), Place(30, 40));
    ProcessEvents();
    EXPECT_EQ(ShownInWindow(*Form1, {30, top + 40}), QColor(255, 255, 255));
    Form1->Deshabilitarborrado1->Click();

    // The bars reach the picture's edges, the corner between them shows the window's
    // colour, and the keys and the wheel scroll.
    const QSize view = window.Placement().view;
    EXPECT_EQ(across->maximum(), width - view.width());
    EXPECT_EQ(down->maximum(), height - view.height());
    const QPoint corner = down->geometry().bottomRight() + QPoint(0, across->height());
    EXPECT_EQ(window.rect().bottomRight(), corner);
    EXPECT_EQ(ShownInWindow(*Form1, corner - QPoint(2, 2)), QtColor(Form1->Color()));
    ASSERT_TRUE(Activated(&window));
    down->setValue(0);
    PressKey(Qt::Key_PageDown);
    EXPECT_EQ(down->value(), std::min(view.height(), down->maximum()));
    PressKey(Qt::Key_End);
    EXPECT_EQ(down->value(), down->maximum());
    PressKey(Qt::Key_Home);
    EXPECT_EQ(down->value(), 0);
    PressKey(Qt::Key_Down);
    EXPECT_EQ(down->value(), 20);
    PressKey(Qt::Key_Right);
    EXPECT_EQ(across->value(), x0 + 20);
    QWheelEvent wheel(QPointF(50, 50), QPointF(window.mapToGlobal(QPoint(50, 50))), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window, &wheel);
    EXPECT_GT(down->value(), 20);

    // Commands work on the whole picture as before.
    Form1->odaRoja1->Click();
    EXPECT_EQ(PixelOf(*Form1->Image1, width - 1, height - 1), Rgb((width - 1) & 0xFF, 0, 0));
    EXPECT_EQ(SizeOf(*Form1->Image1), Size(width, height));

    // A smaller picture afterwards: no scroll bars, and the window back at its place.
    PutPicture(*Form1->Image1, 300, 200, Place);
    ProcessEvents();
    EXPECT_FALSE(across->isVisible() || down->isVisible());
    ExpectPlaced(*Form1, {290, 173});
    EXPECT_EQ(Form1->ClientWidget()->pos(), QPoint(0, window.Placement().menuHeight));

    // Form7 with a large picture does the same.
    PutPicture(*Form7->Image7, width, height, Place);
    Form7->Present();
    ProcessEvents();
    EXPECT_EQ(SizeOf(*Form7->Image7), Size(width, height));
    ExpectPlaced(*Form7, {192, 114});
    EXPECT_TRUE(WindowOf(*Form7).VerticalScrollBar()->isVisible());
}

TEST_F(WorkbenchTest, SmallPicturesLeaveTheMenuBarWholeInAtMostTwoRows) {
    Form1->Present();
    TFormWidget& window = WindowOf(*Form1);
    TMenuBarWidget& bar = *window.MenuBar();
    for (const int side : {1, 10}) {
        PutPicture(*Form1->Image1, side, side, [](int, int) { return Rgb(0, 0, 255); });
        ProcessEvents();
        // The view and the window's client area are as large as the picture, at the
        // top-left of what the window shows.
        EXPECT_EQ(SizeOf(*Form1->Image1), Size(side, side));
        EXPECT_EQ(ClientSizeOf(*Form1), Size(side, side));
        EXPECT_EQ(Form1->ClientWidget()->geometry(), QRect(0, bar.height(), side, side));
        // Every item of the bar lies whole inside the window, in two rows at most.
        EXPECT_EQ(bar.width(), window.width());
        int rows = 0;
        for (int i = 0; i < bar.ItemCount(); ++i) {
            const QRect r = bar.ItemRect(i);
            EXPECT_TRUE(bar.rect().contains(r)) << side << " " << i;
            if (r.left() == 0) ++rows;
        }
        EXPECT_LE(rows, 2) << side;
        EXPECT_EQ(window.Placement().menuHeight, bar.height());
        // Beside the picture: the window's colour.
        EXPECT_EQ(ShownInWindow(*Form1, {0, bar.height()}), QColor(0, 0, 255));
        EXPECT_EQ(ShownInWindow(*Form1, {window.width() - 1, bar.height()}),
                  QtColor(Form1->Color()));
        ExpectPlaced(*Form1, {290, 173});
    }
    // The last item of the bar is clicked where it shows.
    const QRect last = bar.ItemRect(bar.ItemCount() - 1);
    ASSERT_EQ(Form1->MainMenu1->Items().Item(bar.ItemCount() - 1).Caption(), "Convol2");
    ClickInWindow(*Form1, bar.mapTo(&window, last.center()));
    EXPECT_TRUE(Form8->Showing());
    EXPECT_TRUE(messages.empty());
}

TEST_F(WorkbenchTest, WindowsOpenAtTheirLayoutsPlacesInLogicalPixelsWhollyOnTheScreen) {
    // A picture of single pixels in four colours, each of which must show as a block of
    // the device's pixels in exactly its colour.
    const std::vector<TColor> colours = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255),
                                         Rgb(255, 255, 0)};
    PutPicture(*Form1->Image1, 8, 8, [&](int x, int y) { return colours[(x + 2 * y) % 4]; });
    struct Window {
        TForm* form;
        QPoint laidOut;
    };
    for (const Window& w :
         {Window{Form1, {290, 173}}, Window{Form2, {431, 267}}, Window{Form3, {192, 114}},
          Window{ParContraste, {279, 152}}, Window{Form7, {192, 114}}, Window{Form8, {192, 114}},
          Window{Form9, {192, 114}}}) {
        w.form->Present();
        ProcessEvents();
        ExpectPlaced(*w.form, w.laidOut);
        // The layout's own numbers stay as they are.
        EXPECT_EQ(QPoint(w.form->Left(), w.form->Top()), w.laidOut) << w.form->Name();
        if (w.form != Form1) w.form->Dismiss();
    }

    const QImage shown = Form1->ClientWidget()->grab().toImage();
    const double ratio = shown.devicePixelRatio();
    EXPECT_DOUBLE_EQ(ratio, Form1->Widget()->devicePixelRatioF());
    for (int y = 0; y < static_cast<int>(8 * ratio); ++y)
        for (int x = 0; x < static_cast<int>(8 * ratio); ++x) {
            // No pixel mixes colours.
            const QColor c = shown.pixelColor(x, y);
            EXPECT_TRUE(std::count_if(colours.begin(), colours.end(),
                                      [&](TColor k) { return QtColor(k) == c; }) == 1)
                << x << "," << y;
        }
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const QPoint centre(static_cast<int>((x + 0.5) * ratio),
                                static_cast<int>((y + 0.5) * ratio));
            EXPECT_EQ(shown.pixelColor(centre), QtColor(colours[(x + 2 * y) % 4])) << x << "," << y;
        }
    // Text is drawn at the device's resolution.
    EXPECT_DOUBLE_EQ(WindowOf(*Form1).MenuBar()->grab().devicePixelRatio(), ratio);
}
