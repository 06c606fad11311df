#include <QApplication>
#include <QContextMenuEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/runtime/Exceptions.h"
#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/MenuBar.h"
#include "platform/ui/qt/Menus.h"
#include "tests/ui/UiTestSupport.h"

using namespace vardel;
using namespace vardel::test;

namespace {
constexpr int kFrameWidth = 2 * kFrameBorder;
constexpr int kFrameHeight = kTitleBarHeight + 2 * kFrameBorder;

struct TPlainForm : TForm {
    TPlainForm() : TForm("Plain") {}
};

QColor ShownAt(const TForm& form, int x, int y) {
    return form.ClientWidget()->grab().toImage().pixelColor(x, y);
}
}  // namespace

TEST(Form, OuterBoundsGiveTheClientAreaBelowAWrappingMenuBar) {
    TForm form("Form");
    form.SetBounds(10, 20, 300, 200);
    EXPECT_EQ(form.ClientWidth(), 300 - kFrameWidth);
    EXPECT_EQ(form.ClientHeight(), 200 - kFrameHeight);
    EXPECT_EQ(form.Widget()->size(), QSize(form.ClientWidth(), form.ClientHeight()));

    TMainMenu menu("Menu");
    for (int i = 0; i < 12; ++i)
        menu.Add("Item" + std::to_string(i), "Command number " + std::to_string(i));
    form.SetMenu(&menu);
    // The outer size stays; the bar takes its rows from the client area.
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 200);
    auto* bar = FindBar<TMenuBarWidget>(form);
    ASSERT_NE(bar, nullptr);
    const int barHeight = bar->heightForWidth(form.ClientWidth());
    EXPECT_EQ(form.ClientHeight(), 200 - kFrameHeight - barHeight);
    EXPECT_EQ(form.ClientWidget()->geometry(),
              QRect(0, barHeight, form.ClientWidth(), form.ClientHeight()));
    // Every item is in sight: the items wrap onto further rows instead of hiding.
    int rows = 0;
    for (int i = 0; i < bar->ItemCount(); ++i) {
        const QRect r = bar->ItemRect(i);
        EXPECT_LE(r.right(), form.ClientWidth() - 1) << i;
        if (r.left() == 0) ++rows;
    }
    EXPECT_GT(rows, 1);
    EXPECT_EQ(bar->ItemRect(bar->ItemCount() - 1).bottom() + 1, barHeight);
    form.SetMenu(nullptr);
}

TEST(Form, AutoSizeFollowsTheVisibleControls) {
    TForm form("Form");
    form.SetBounds(0, 0, 400, 300);
    TSwatch swatch(form, 0x0000FF);
    swatch.SetBounds(5, 5, 50, 40);
    form.SetAutoSize(true);
    EXPECT_EQ(form.ClientWidth(), 55);
    EXPECT_EQ(form.ClientHeight(), 45);
    EXPECT_EQ(form.Width(), 55 + kFrameWidth);
    EXPECT_EQ(form.Height(), 45 + kFrameHeight);
    EXPECT_EQ(form.Widget()->size(), QSize(55, 45));
    swatch.SetBounds(0, 0, 120, 10);
    EXPECT_EQ(form.ClientWidth(), 120);
    EXPECT_EQ(form.ClientHeight(), 10);
    EXPECT_EQ(form.Widget()->size(), QSize(120, 10));
}

TEST(Form, ShowsItsClientSurfaceAndWhatWindowCanvasesDrawUntilTheNextFullPaint) {
    TForm form("Form");
    form.SetBounds(0, 0, 200 + kFrameWidth, 150 + kFrameHeight);
    form.SetColor(0x00FF00);
    TSwatch swatch(form, 0x0000FF);
    swatch.SetBounds(10, 10, 20, 20);
    form.Present();
    ProcessEvents();
    EXPECT_EQ(ShownAt(form, 15, 15), QColor(255, 0, 0));
    EXPECT_EQ(ShownAt(form, 100, 100), QColor(0, 255, 0));

    // A window canvas draws straight onto the surface.
    gdi::HDC dc = form.ClientContext();
    gdi::FillRect(dc, {0, 0, 50, 50}, gdi::CreateSolidBrush(0xFF0000));
    gdi::ReleaseDC(dc);
    form.SurfaceChanged();
    ProcessEvents();
    EXPECT_EQ(ShownAt(form, 15, 15), QColor(0, 0, 255));
    EXPECT_EQ(ShownAt(form, 40, 40), QColor(0, 0, 255));

    // The next full repaint renders the controls over it again.
    form.InvalidateRect({0, 0, 200, 150});
    ProcessEvents();
    EXPECT_EQ(ShownAt(form, 15, 15), QColor(255, 0, 0));
    EXPECT_EQ(ShownAt(form, 40, 40), QColor(0, 255, 0));
    form.Dismiss();
    EXPECT_FALSE(form.Showing());
}

TEST(Form, MouseEventsReachTheControlUnderTheMouseInItsOwnCoordinates) {
    TForm form("Form");
    form.SetBounds(0, 0, 200, 200);
    TSwatch swatch(form, 0);
    swatch.SetBounds(20, 30, 40, 40);
    struct Move {
        TShiftState shift;
        int x, y;
    };
    std::vector<Move> moves;
    swatch.OnMouseMove = [&](TControl* sender, TShiftState shift, int x, int y) {
        EXPECT_EQ(sender, &swatch);
        moves.push_back({shift, x, y});
    };
    std::vector<std::pair<int, int>> popups;
    swatch.OnContextPopup = [&](TControl*, int x, int y) { popups.emplace_back(x, y); };
    form.Present();
    QWidget* client = form.ClientWidget();

    SendMouse(client, QEvent::MouseMove, {25, 35}, Qt::NoButton, Qt::NoButton);
    SendMouse(client, QEvent::MouseMove, {150, 150}, Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].shift, 0);
    EXPECT_EQ(moves[0].x, 5);
    EXPECT_EQ(moves[0].y, 5);

    // With a button held, the control that got the press follows the mouse out.
    SendMouse(client, QEvent::MouseButtonPress, {25, 35}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(client, QEvent::MouseMove, {150, 150}, Qt::NoButton, Qt::LeftButton);
    SendMouse(client, QEvent::MouseButtonRelease, {150, 150}, Qt::LeftButton, Qt::NoButton);
    SendMouse(client, QEvent::MouseMove, {150, 150}, Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].shift, ssLeft);
    EXPECT_EQ(moves[1].x, 130);
    EXPECT_EQ(moves[1].y, 120);

    QContextMenuEvent outside(QContextMenuEvent::Mouse, QPoint(5, 5),
                              client->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(client, &outside);
    QContextMenuEvent inside(QContextMenuEvent::Mouse, QPoint(30, 40),
                             client->mapToGlobal(QPoint(30, 40)));
    QApplication::sendEvent(client, &inside);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0], std::make_pair(10, 10));
    form.Dismiss();
}

TEST(Form, PresentModalRunsANestedLoopUntilDismissed) {
    TForm dialog("Dialog");
    dialog.SetBounds(50, 50, 200, 120);
    bool wasModal = false;
    Application().OnModalShown = [&](TForm& form) {
        wasModal = form.Modal() && form.Showing() &&
                   QApplication::activeModalWidget() == form.Widget() &&
                   form.Widget()->windowModality() == Qt::ApplicationModal;
        form.Dismiss();
    };
    EXPECT_EQ(dialog.PresentModal(), mrCancel);
    Application().OnModalShown = nullptr;
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(dialog.Showing());
    EXPECT_FALSE(dialog.Modal());
    EXPECT_EQ(dialog.Widget()->windowModality(), Qt::NonModal);

    // Inside the real nested loop: the title-bar button ends it like Dismiss.
    bool inLoop = false;
    QTimer::singleShot(0, [&] {
        inLoop = dialog.Modal() && dialog.Showing();
        dialog.Widget()->close();
    });
    EXPECT_EQ(dialog.PresentModal(), mrCancel);
    EXPECT_TRUE(inLoop);
    EXPECT_FALSE(dialog.Showing());

    QTimer::singleShot(0, [&] { dialog.SetModalResult(mrOk); });
    EXPECT_EQ(dialog.PresentModal(), mrOk);
    EXPECT_EQ(dialog.ModalResult(), mrOk);
}

TEST(Form, AVisibleWindowCannotBeMadeModal) {
    TForm dialog("Dialog");
    dialog.Present();
    try {
        dialog.PresentModal();
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Cannot make a visible window modal");
    }
    EXPECT_TRUE(dialog.Showing());
    EXPECT_FALSE(dialog.Modal());
    EXPECT_EQ(dialog.Widget()->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    dialog.Dismiss();
}

TEST(Form, ClosingASecondaryWindowHidesItAndClosingTheMainWindowEndsTheLoop) {
    TPlainForm* mainForm = nullptr;
    TPlainForm* other = nullptr;
    Application().MakeWindow(mainForm);
    Application().MakeWindow(other);
    EXPECT_EQ(Application().MainForm(), mainForm);
    EXPECT_FALSE(mainForm->Showing());

    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = mainForm->Showing() && !other->Showing();
        other->Present();
        other->Widget()->close();
        shown = shown && !other->Showing() && !Application().Terminated();
        // The main window's title-bar button, with the other window open.
        other->Present();
        mainForm->Widget()->close();
    });
    Application().RunEventLoop();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(mainForm->Showing());

    Application().FreeWindows();
    EXPECT_EQ(mainForm, nullptr);
    EXPECT_EQ(other, nullptr);
    EXPECT_FALSE(Application().Terminated());
}

TEST(Form, DismissingTheMainWindowOutsideTheLoopLeavesLaterModalLoopsWorking) {
    TPlainForm* mainForm = nullptr;
    Application().MakeWindow(mainForm);
    mainForm->Dismiss();
    EXPECT_TRUE(Application().Terminated());
    Application().FreeWindows();

    TForm dialog("Dialog");
    bool ranInLoop = false;
    QTimer::singleShot(0, [&] {
        ranInLoop = dialog.Modal();
        dialog.Dismiss();
    });
    EXPECT_EQ(dialog.PresentModal(), mrCancel);
    EXPECT_TRUE(ranInLoop);
}

TEST(Form, AWindowThatSizesItselfStaysWhereTheUserMovedIt) {
    TForm form("Form");
    form.SetBounds(10, 20, 100, 100);
    TSwatch swatch(form, 0);
    swatch.SetBounds(0, 0, 30, 30);
    form.SetAutoSize(true);
    form.Present();
    form.Widget()->move(200, 150);
    ProcessEvents();
    EXPECT_EQ(form.Left(), 200);
    EXPECT_EQ(form.Top(), 150);
    swatch.SetBounds(0, 0, 60, 40);
    ProcessEvents();
    EXPECT_EQ(form.Widget()->pos(), QPoint(200, 150));
    EXPECT_EQ(form.ClientWidth(), 60);
    form.Dismiss();
}
