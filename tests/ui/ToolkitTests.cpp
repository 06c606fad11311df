#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <new>
#include <thread>

#include "platform/runtime/Exceptions.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/QtDialogs.h"
#include "tests/ui/UiTestSupport.h"

using namespace vardel;
using namespace vardel::test;
namespace fs = std::filesystem;

TEST(ErrorBox, AppendsAFullStopUnlessTheLastCharacterSortsAtOrBeforeIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"Cannot open file C:\\a.bmp", "Cannot open file C:\\a.bmp."},
        {"Unknown picture file extension (.tif)", "Unknown picture file extension (.tif)"},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"a-", "a-"},
        {"a/", "a/."},
        {"mínimo é", "mínimo é."},
        {"", ""}};
    for (const auto& [text, shown] : cases) EXPECT_EQ(ErrorBoxText(text), shown);
    EXPECT_EQ(ProgramTitle("/usr/local/bin/vardel"), "vardel");
    EXPECT_EQ(ProgramTitle("dir.v2/Project1.exe"), "Project1");
}

TEST(ErrorBox, HandlersShowTheirErrorsAndTheAbortStaysSilent) {
    TMessageLog log;
    TScopedDialogProviders answer(log.Providers());
    int after = 0;
    Application().HandleEvent([] { throw EConvertError("'abc' is not a valid integer value"); });
    Application().HandleEvent([] { throw EAbort(); });
    Application().HandleEvent([] { throw std::bad_alloc(); });
    Application().HandleEvent([&] { ++after; });
    ASSERT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(log.entries[0].text, "'abc' is not a valid integer value.");
    EXPECT_EQ(log.entries[0].caption, ApplicationTitle());
    EXPECT_EQ(log.entries[0].icon, TMessageIcon::Error);
    EXPECT_EQ(log.entries[1].text, "Out of memory.");
    EXPECT_EQ(after, 1);
}

TEST(UiThread, AWorkerRunsCallsOnTheEventLoopsThread) {
    std::atomic<bool> done{false};
    bool ranOnUiThread = false;
    std::string failure;
    std::thread worker([&] {
        CallOnUiThread([&] { ranOnUiThread = IsUiThread(); });
        try {
            CallOnUiThread([] { throw EInvalidOperation("raised on the other side"); });
        } catch (const Exception& e) {
            failure = e.Message();
        }
        done = true;
    });
    // Qt wakes the loop for each call.
    while (!done) QApplication::processEvents(QEventLoop::AllEvents, 20);
    worker.join();
    EXPECT_TRUE(ranOnUiThread);
    EXPECT_EQ(failure, "raised on the other side");
}

TEST(FileDialogs, PickFileAsksTheProviderAndKeepsTheNameOnCancel) {
    TOpenDialog dialog("OpenDialog1");
    dialog.SetFilter("Mapa de bits (*.bmp)|*.bmp|jpeg (*.jpg)|*.jpg");
    dialog.SetDefaultExt("bmp");
    dialog.SetFileName("previous.bmp");
    TFileDialogRequest seen;
    bool confirm = false;
    TDialogProviders providers = DialogProviders();
    providers.fileDialog = [&](const TFileDialogRequest& request, std::string& name) {
        seen = request;
        name = "chosen.bmp";
        return confirm;
    };
    TScopedDialogProviders answer(providers);
    EXPECT_FALSE(dialog.PickFile());
    EXPECT_EQ(dialog.FileName(), "previous.bmp");
    EXPECT_FALSE(seen.save);
    EXPECT_EQ(seen.filter, "Mapa de bits (*.bmp)|*.bmp|jpeg (*.jpg)|*.jpg");
    EXPECT_EQ(seen.filterIndex, 1);
    EXPECT_EQ(seen.defaultExtension, "bmp");
    confirm = true;
    EXPECT_TRUE(dialog.PickFile());
    EXPECT_EQ(dialog.FileName(), "chosen.bmp");
    TSaveDialog save("SaveDialog1");
    EXPECT_TRUE(save.PickFile());
    EXPECT_TRUE(seen.save);
    EXPECT_EQ(seen.filter, "");
}

TEST(QtDialogs, FiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtNameFilters("Mapa de bits (*.bmp)|*.bmp|jpeg (*.jpg)|*.jpg"),
              (std::vector<std::string>{"Mapa de bits (*.bmp)", "jpeg (*.jpg)"}));
    EXPECT_EQ(QtNameFilters("Imágenes|*.bmp;*.gif"),
              (std::vector<std::string>{"Imágenes (*.bmp *.gif)"}));
    EXPECT_TRUE(QtNameFilters("").empty());
}

TEST(QtDialogs, TheRealDialogsAddTheDefaultExtensionAndNeverAskBeforeOverwriting) {
    TScopedDialogProviders restore(DialogProviders());  // put back when the test ends
    InstallQtDialogProviders();
    const fs::path dir = fs::temp_directory_path() / ("vardel-ui-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "pic.bmp") << "BM";

    // Types `name` into the next file dialog, in `dir`, and accepts it; keeps its filter.
    QString filter;
    auto typeAndAccept = [&](const char* name) {
        QTimer::singleShot(0, [&, name] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            filter = dialog->selectedNameFilter();
            dialog->setDirectory(QString::fromStdString(dir.string()));
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    // A name typed without an extension gets the default one.
    typeAndAccept("pic");
    TFileDialogRequest open;
    open.filter = "Mapa de bits (*.bmp)|*.bmp|jpeg (*.jpg)|*.jpg";
    open.defaultExtension = "bmp";
    std::string chosen;
    ASSERT_TRUE(DialogProviders().fileDialog(open, chosen));
    EXPECT_EQ(filter, QString("Mapa de bits (*.bmp)"));
    EXPECT_EQ(fs::path(chosen), dir / "pic.bmp");

    // Saving over an existing file asks nothing: the dialog accepts at once.
    typeAndAccept("pic.bmp");
    TFileDialogRequest save;
    save.save = true;
    ASSERT_TRUE(DialogProviders().fileDialog(save, chosen));
    EXPECT_EQ(fs::path(chosen), dir / "pic.bmp");

    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QString("Cannot open file x."));
        EXPECT_EQ(box->windowTitle(), QString("Title"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        box->accept();
    });
    EXPECT_EQ(DialogProviders().messageBox("Cannot open file x.", "Title", TMessageIcon::Error), 1);

    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons()[0]->text(), QString("OK"));
        box->buttons()[0]->click();
    });
    DialogProviders().messageDialog("Not a TIFF file", "vardel");
    fs::remove_all(dir);
}
