// The menu bar from the keyboard: F10 and Alt make it active, the arrows move along it
// and through the drop-downs, Enter and Down choose, Escape steps back. (The dialogs'
// keys are tested on the workbench's own dialogs.)
#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include "platform/ui/qt/MenuBar.h"
#include "platform/ui/qt/Menus.h"
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
