#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

#include "platform/runtime/Exceptions.h"
#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/MenuBar.h"
#include "platform/ui/qt/Menus.h"
#include "platform/ui/qt/StdControls.h"
#include "tests/ui/UiTestSupport.h"

using namespace vardel;
using namespace vardel::test;

TEST(Control, AHiddenControlNeitherSizesItsWindowNorIsPainted) {
    constexpr gdi::COLORREF kRed = gdi::RGB(255, 0, 0), kBlue = gdi::RGB(0, 0, 255);
    TWindow window("Form7");
    window.SetAutoSize(true);
    TSwatch small(window, kRed);
    small.SetBounds(0, 0, 10, 10);
    TSwatch large(window, kBlue);
    large.SetBounds(0, 0, 30, 20);
    auto colourAt = [&](int x, int y) {
        window.PaintNow();
        gdi::HDC dc = window.ClientContext();
        const gdi::COLORREF c = gdi::GetPixel(dc, x, y);
        gdi::ReleaseDC(dc);
        return c;
    };
    EXPECT_EQ(window.ClientWidth(), 30);
    EXPECT_EQ(colourAt(5, 5), kBlue);
    large.SetVisible(false);
    EXPECT_EQ(window.ClientWidth(), 10);
    EXPECT_EQ(window.ClientHeight(), 10);
    EXPECT_EQ(colourAt(5, 5), kRed);
    large.SetVisible(true);
    EXPECT_EQ(window.ClientWidth(), 30);
    EXPECT_EQ(colourAt(25, 15), kBlue);
}

TEST(Menu, ItemsRunWhenEnabledAndReportTheirErrors) {
    TMessageLog log;
    TScopedDialogProviders answer(log.Providers());
    TMainMenu menu("MainMenu1");
    TMenuItem& file = menu.Add("Archivos1", "Archivos");
    TMenuItem& open = file.Add("Abrir1", "Abrir");
    TMenuItem& fail = menu.Add("Fallar1", "Fallar");
    int runs = 0;
    TObject* sender = nullptr;
    open.OnClick = [&](TObject* s) {
        ++runs;
        sender = s;
    };
    fail.OnClick = [](TObject*) {
        throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    };

    open.Click();
    open.Action()->trigger();  // as the desktop chooses it
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(sender, &open);
    open.SetEnabled(false);
    open.Click();
    open.Action()->trigger();
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(open.Enabled());

    EXPECT_EQ(menu.FindByCaption("Abrir"), &open);
    EXPECT_EQ(menu.FindByCaption("Fallar"), &fail);
    EXPECT_EQ(menu.FindByCaption("Nada"), nullptr);
    EXPECT_EQ(open.Parent(), &file);

    fail.Click();
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].text, "Can only modify an image if it contains a bitmap.");
    EXPECT_EQ(log.entries[0].icon, TMessageIcon::Error);
    EXPECT_EQ(log.entries[0].caption, ApplicationTitle());
}

TEST(Menu, TheBarRunsCommandsOnReleaseAndOpensDropDowns) {
    TForm form("Form");
    form.SetBounds(0, 0, 400, 200);
    TMainMenu menu("MainMenu1");
    TMenuItem& file = menu.Add("Archivos1", "Archivos");
    file.Add("Abrir1", "Abrir");
    TMenuItem& command = menu.Add("Umbral1", "Umbral");
    int runs = 0;
    command.OnClick = [&](TObject*) { ++runs; };
    form.SetMenu(&menu);
    form.Present();
    auto* bar = FindBar<TMenuBarWidget>(form);
    ASSERT_NE(bar, nullptr);

    const QPoint at = bar->ItemRect(1).center();
    SendMouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(runs, 0);
    SendMouse(bar, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(runs, 1);
    command.SetEnabled(false);
    bar->ClickItem(1);
    EXPECT_EQ(runs, 1);

    bar->ClickItem(0);
    ASSERT_NE(file.SubMenu(), nullptr);
    EXPECT_TRUE(file.SubMenu()->isVisible());
    file.SubMenu()->hide();
    form.SetMenu(nullptr);
    form.Dismiss();
}

TEST(StdControls, TextsFontsTabOrderAndButtons) {
    TForm form("Form");
    form.SetBounds(0, 0, 400, 300);
    TEdit second(form, "Edit2");
    second.SetBounds(10, 40, 80, 21);
    second.SetTabOrder(1);
    TEdit first(form, "Edit1");
    first.SetBounds(10, 10, 80, 21);
    first.SetText("50");
    first.SetTabOrder(0);
    TButton button(form, "Button1");
    button.SetBounds(10, 80, 75, 25);
    button.SetCaption("Aceptar");
    button.SetTabOrder(2);
    TLabel label(form, "Label1");
    label.SetFontHeight(-24);
    label.SetCaption("Brillo máximo de entrada");
    label.SetBounds(100, 10, 20, 29);

    EXPECT_EQ(first.Text(), "50");
    EXPECT_EQ(static_cast<QLineEdit*>(first.Widget())->text(), QString("50"));
    EXPECT_EQ(first.Widget()->geometry(), QRect(10, 10, 80, 21));
    EXPECT_EQ(first.Widget()->font().pixelSize(), 11);
    EXPECT_EQ(label.Widget()->font().pixelSize(), 24);
    EXPECT_EQ(label.Caption(), "Brillo máximo de entrada");
    // The label grows so that the desktop's font shows the whole caption.
    EXPECT_GE(label.Width(), label.Widget()->fontMetrics().horizontalAdvance(
                                 QString::fromUtf8("Brillo máximo de entrada")));
    EXPECT_EQ(label.Widget()->width(), label.Width());
    EXPECT_EQ(label.Height(), 29);

    const std::vector<TWinControl*> order = form.TabOrderControls();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], &first);
    EXPECT_EQ(order[1], &second);
    EXPECT_EQ(order[2], &button);
    EXPECT_EQ(first.Widget()->nextInFocusChain(), second.Widget());
    EXPECT_EQ(second.Widget()->nextInFocusChain(), button.Widget());

    second.SetFontHeight(-24);
    second.SetFontColor(0x0000FF);
    EXPECT_EQ(second.Widget()->font().pixelSize(), 24);
    EXPECT_EQ(second.Widget()->palette().color(QPalette::Text), QColor(255, 0, 0));

    int presses = 0;
    button.OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, &button);
        ++presses;
    };
    static_cast<QPushButton*>(button.Widget())->click();
    EXPECT_EQ(presses, 1);
    button.SetEnabled(false);
    button.Click();
    EXPECT_EQ(presses, 1);
}
