// The keyboard: the menu bar from F10 and Alt, and windows with fields and a default
// button (the first field takes the focus with its text selected each time the window
// opens, Enter presses the default button, Escape closes a modal window).
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

#include "platform/ui/qt/MenuBar.h"
#include "platform/ui/qt/Menus.h"
#include "platform/ui/qt/StdControls.h"
#include "tests/ui/UiTestSupport.h"

using namespace vardel;
using namespace vardel::test;

namespace {

// A window with a bar of two drop-downs around a command of the bar itself.
struct TMenuWindow {
    TForm form{"Form"};
    TMainMenu menu{"Menu"};
    std::vector<std::string> chosen;
    TMenuItem& file = menu.Add("File", "Archivos");
    TMenuItem& command = menu.Add("Command", "Umbral");
    TMenuItem& view = menu.Add("View", "Ver");
    TMenuBarWidget* bar = nullptr;

    TMenuWindow() {
        for (TMenuItem* parent : {&file, &view})
            for (const char* caption : {"Uno", "Dos"}) {
                TMenuItem& item = parent->Add(caption, parent->Caption() + " " + caption);
                item.OnClick = [this, &item](TObject*) { chosen.push_back(item.Caption()); };
            }
        command.OnClick = [this](TObject*) { chosen.push_back("Umbral"); };
        form.SetBounds(100, 100, 400, 300);
        form.SetMenu(&menu);
        form.Present();
        ProcessEvents();
        bar = FindBar<TMenuBarWidget>(form);
    }
    ~TMenuWindow() {
        form.SetMenu(nullptr);
        form.Dismiss();
    }
    QMenu* Open() const { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
};

}  // namespace

TEST(Keyboard, F10AndAltMakeTheMenuBarActiveAndTheArrowsMoveAlongIt) {
    TMenuWindow w;
    ASSERT_NE(w.bar, nullptr);
    ASSERT_TRUE(PressKey(Qt::Key_F10));
    EXPECT_TRUE(w.bar->Active());
    EXPECT_TRUE(w.bar->hasFocus());
    EXPECT_EQ(w.bar->Current(), 0);
    PressKey(Qt::Key_Right);
    EXPECT_EQ(w.bar->Current(), 1);
    PressKey(Qt::Key_Left);
    PressKey(Qt::Key_Left);
    EXPECT_EQ(w.bar->Current(), 2);  // round the end
    PressKey(Qt::Key_Escape);
    EXPECT_FALSE(w.bar->Active());
    EXPECT_FALSE(w.bar->hasFocus());

    // Alt alone, pressed and released, does the same; Alt used with another key does not.
    PressKey(Qt::Key_Alt, Qt::AltModifier);
    EXPECT_TRUE(w.bar->Active());
    PressKey(Qt::Key_Alt, Qt::AltModifier);
    EXPECT_FALSE(w.bar->Active());
    QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(KeyReceiver(), &altDown);
    PressKey(Qt::Key_X, Qt::AltModifier, "x");
    QKeyEvent altUp(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(KeyReceiver(), &altUp);
    EXPECT_FALSE(w.bar->Active());
    PressKey(Qt::Key_F10);
    PressKey(Qt::Key_F10);
    EXPECT_FALSE(w.bar->Active());
    EXPECT_TRUE(w.chosen.empty());
}

TEST(Keyboard, EnterAndDownOpenADropDownOrRunACommandOfTheBar) {
    TMenuWindow w;
    PressKey(Qt::Key_F10);
    PressKey(Qt::Key_Down);
    QMenu* open = w.Open();
    ASSERT_EQ(open, w.file.SubMenu());
    EXPECT_EQ(open->activeAction(), w.file.Item(0).Action());
    PressKey(Qt::Key_Down);
    PressKey(Qt::Key_Return);
    EXPECT_EQ(w.chosen, std::vector<std::string>{"Archivos Dos"});
    EXPECT_EQ(w.Open(), nullptr);
    EXPECT_FALSE(w.bar->Active());

    PressKey(Qt::Key_F10);
    PressKey(Qt::Key_Right);
    PressKey(Qt::Key_Enter);
    EXPECT_EQ(w.chosen.back(), "Umbral");
    EXPECT_FALSE(w.bar->Active());
    // A disabled command cannot be chosen from the keyboard either.
    w.command.SetEnabled(false);
    PressKey(Qt::Key_F10);
    PressKey(Qt::Key_Right);
    PressKey(Qt::Key_Return);
    EXPECT_EQ(w.chosen.size(), 2u);
    PressKey(Qt::Key_Escape);
}

TEST(Keyboard, InADropDownLeftAndRightGoAlongTheBarAndEscapeStepsBack) {
    TMenuWindow w;
    PressKey(Qt::Key_F10);
    PressKey(Qt::Key_Down);
    ASSERT_EQ(w.Open(), w.file.SubMenu());
    // Right: the command of the bar is highlighted, no drop-down open.
    PressKey(Qt::Key_Right);
    EXPECT_EQ(w.Open(), nullptr);
    EXPECT_EQ(w.bar->Current(), 1);
    PressKey(Qt::Key_Right);
    ASSERT_EQ(w.Open(), w.view.SubMenu());
    EXPECT_EQ(w.Open()->activeAction(), w.view.Item(0).Action());
    PressKey(Qt::Key_Right);  // round the end
    ASSERT_EQ(w.Open(), w.file.SubMenu());
    PressKey(Qt::Key_Left);
    ASSERT_EQ(w.Open(), w.view.SubMenu());
    PressKey(Qt::Key_Left);
    EXPECT_EQ(w.Open(), nullptr);
    PressKey(Qt::Key_Left);
    ASSERT_EQ(w.Open(), w.file.SubMenu());
    // Escape closes the drop-down and leaves its item highlighted; again leaves the bar.
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(w.Open(), nullptr);
    EXPECT_TRUE(w.bar->Active());
    EXPECT_EQ(w.bar->Current(), 0);
    PressKey(Qt::Key_Escape);
    EXPECT_FALSE(w.bar->Active());
    EXPECT_TRUE(w.chosen.empty());
}

TEST(Keyboard, ADialogTakesTypedTextEachTimeItOpensEnterPressesItsButtonEscapeClosesIt) {
    TForm dialog("Dialog");
    dialog.SetBounds(50, 50, 300, 200);
    TEdit edit(dialog, "Edit1");
    edit.SetBounds(10, 10, 60, 21);
    edit.SetText("50");
    edit.SetTabOrder(0);
    TButton button(dialog, "Button1");
    button.SetBounds(10, 50, 75, 25);
    button.SetCaption("Aceptar");
    button.SetTabOrder(1);
    button.SetDefault(true);
    int presses = 0;
    button.OnClick = [&](TObject*) {
        ++presses;
        dialog.SetModalResult(mrOk);
    };
    auto* field = static_cast<QLineEdit*>(edit.Widget());
    auto* pushButton = static_cast<QPushButton*>(button.Widget());
    EXPECT_EQ(dialog.DefaultButton(), &button);
    EXPECT_TRUE(pushButton->isDefault());

    struct Seen {
        bool focused = false;
        QString selected;
    };
    auto typeThen = [&](Seen& seen, const QString& text, int key, bool focusButtonAfter) {
        QTimer::singleShot(0, [&, text, key, focusButtonAfter] {
            Activated(dialog.Widget());
            seen.focused = QApplication::focusWidget() == field;
            seen.selected = field->selectedText();
            TypeText(text);
            // As a user who clicks "Aceptar" leaves the focus on it.
            if (focusButtonAfter) pushButton->setFocus(Qt::MouseFocusReason);
            PressKey(key);
            // Should the keys have missed, the dialog still closes.
            if (dialog.Modal() && dialog.ModalResult() == mrNone) dialog.Dismiss();
        });
    };

    Seen first, second, third;
    typeThen(first, "77", Qt::Key_Return, false);
    EXPECT_EQ(dialog.PresentModal(), mrOk);
    EXPECT_TRUE(first.focused);
    EXPECT_EQ(first.selected, "50");
    EXPECT_EQ(edit.Text(), "77");
    EXPECT_EQ(presses, 1);

    // Enter on the focused default button presses it once.
    typeThen(second, "8", Qt::Key_Return, true);
    EXPECT_EQ(dialog.PresentModal(), mrOk);
    EXPECT_TRUE(second.focused);
    EXPECT_EQ(second.selected, "77");
    EXPECT_EQ(edit.Text(), "8");
    EXPECT_EQ(presses, 2);

    // Opened again after the focus was left on the button: the field has it back.
    typeThen(third, "9", Qt::Key_Escape, false);
    EXPECT_EQ(dialog.PresentModal(), mrCancel);
    EXPECT_TRUE(third.focused);
    EXPECT_EQ(third.selected, "8");
    EXPECT_EQ(edit.Text(), "9");
    EXPECT_EQ(presses, 2);
}
