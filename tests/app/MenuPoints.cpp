// Tells the end-to-end tests where to click to choose a command of the main window,
// as a user would: the same windows are built on Qt's offscreen platform and the menu
// bar is asked where it draws each item.
//
//   menu_points WIDTH PATH...
//
// WIDTH is the main window's width now: the bar wraps its items onto as many rows as
// that width needs.
// PATH is a caption of the menu bar ("Cargar GIF"), a drop-down item under one
// ("Archivos/Abrir Imagen"), or an item of the view's pop-up menu
// ("popup/Habilitar borrado"). For each, one line "X Y DOWNS": the point to click,
// relative to the main window's top-left corner (with the right button for the pop-up
// menu), then how many presses of the Down key select the item in the menu that opens
// (0 for a command of the bar itself).
#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Dorsk.h"
#include "app/Workbench.h"
#include "formats/Modules.h"
#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/FormWidget.h"
#include "platform/ui/qt/MenuBar.h"

using namespace vardel;

namespace {

int IndexOf(TMenuItem& parent, const std::string& caption) {
    for (int i = 0; i < parent.Count(); ++i)
        if (parent.Item(i).Caption() == caption) return i;
    return -1;
}

bool Print(TFormWidget* window, const std::string& path) {
    const size_t slash = path.find('/');
    const std::string head = path.substr(0, slash);
    const std::string tail = slash == std::string::npos ? "" : path.substr(slash + 1);
    if (head == "popup") {
        const int index = IndexOf(Form1->PopupMenu1->Items(), tail);
        if (index < 0) return false;
        const QPoint p(40, window->MenuBar()->height() + 40);
        std::printf("%d %d %d\n", p.x(), p.y(), index + 1);
        return true;
    }
    TMenuItem& bar = Form1->MainMenu1->Items();
    const int index = IndexOf(bar, head);
    if (index < 0) return false;
    int downs = 0;
    if (!tail.empty()) {
        const int sub = IndexOf(bar.Item(index), tail);
        if (sub < 0) return false;
        downs = sub + 1;
    }
    TMenuBarWidget* menuBar = window->MenuBar();
    const QPoint p = menuBar->mapTo(window, menuBar->ItemRect(index).center());
    std::printf("%d %d %d\n", p.x(), p.y(), downs);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TPictureModules modules;
    SilenceToolkitWarnings();
    MakeWorkbenchWindows(StartWorkbenchApplication(argc, argv));
    auto* window = dynamic_cast<TFormWidget*>(Form1->Widget());
    const int width = argc > 1 ? std::atoi(argv[1]) : 0;
    if (!window || width <= 0) {
        std::fprintf(stderr, "usage: menu_points WIDTH PATH...\n");
        return 2;
    }
    TMenuBarWidget* menuBar = window->MenuBar();
    menuBar->setGeometry(0, 0, width, menuBar->heightForWidth(width));
    int status = 0;
    for (int i = 2; i < argc; ++i)
        if (!Print(window, argv[i])) {
            std::fprintf(stderr, "menu_points: no item %s\n", argv[i]);
            status = 1;
        }
    StopApplication();
    return status;
}
