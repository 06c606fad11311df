#include "platform/ui/qt/Application.h"

#include <QApplication>
#include <QMetaObject>
#include <QPalette>

#include <cstdio>
#include <new>

#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exceptions.h"
#include "platform/ui/Control.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/qt/Form.h"

namespace vardel {

namespace {

// Every handled event ends in the after-message hooks (the picture model frees its
// bitmap contexts there).
class TQtApplication : public QApplication {
  public:
    TQtApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override {
        bool handled = false;
        try {
            handled = QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            // Our handlers catch their own errors; this only guards the event loop.
            if (ApplicationStarted()) Application().ShowException(error);
        }
        RunAfterMessageHooks();
        return handled;
    }
};

std::unique_ptr<TApplication>& TheApplication() {
    static std::unique_ptr<TApplication> application;
    return application;
}

gdi::COLORREF ToColorRef(const QColor& c) {
    return gdi::RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                    static_cast<uint8_t>(c.blue()));
}

}  // namespace

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

std::string ProgramTitle(std::string_view programPath) {
    const size_t slash = programPath.find_last_of('/');
    std::string_view name =
        slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name);
}

TApplication::TApplication(int& argc, char** argv) {
    qt_ = std::make_unique<TQtApplication>(argc, argv);
    // The program ends when the main window is dismissed, not when the last window hides.
    qt_->setQuitOnLastWindowClosed(false);
    SetUiThread();
    SetApplicationTitle(ProgramTitle(QCoreApplication::applicationFilePath().toStdString()));
    QApplication* qt = qt_.get();
    SetUiWakeup([qt] {
        QMetaObject::invokeMethod(
            qt, [] { RunPendingUiCalls(); }, Qt::QueuedConnection);
    });
    // Windows are painted in the desktop's button-face colour.
    gdi::SetSysColor(gdi::COLOR_BTNFACE,
                     ToColorRef(QApplication::palette().color(QPalette::Window)));
}

TApplication::~TApplication() {
    FreeWindows();
    SetUiWakeup(nullptr);
    qt_.reset();
}

void TApplication::AddWindow(std::unique_ptr<TForm> form, std::function<void()> clearReference) {
    if (!mainForm_) mainForm_ = form.get();
    windows_.push_back({std::move(form), std::move(clearReference)});
}

void TApplication::FreeWindows() {
    while (!windows_.empty()) {
        Window window = std::move(windows_.back());
        windows_.pop_back();
        if (window.form.get() == mainForm_) mainForm_ = nullptr;
        window.form.reset();
        if (window.clearReference) window.clearReference();
    }
    mainForm_ = nullptr;
    terminated_ = false;
}

void TApplication::RunEventLoop() {
    if (terminated_ || !mainForm_) return;
    HandleEvent([this] { mainForm_->Present(); });
    if (terminated_) return;
    running_ = true;
    qt_->exec();
    running_ = false;
}

void TApplication::Terminate() {
    terminated_ = true;
    // Leaves every running loop, the nested ones of modal windows included. Outside
    // the program's loop Qt would keep every later loop from starting, so nothing is
    // asked of it then.
    if (running_) QCoreApplication::exit(0);
}

void TApplication::HandleEvent(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const EAbort&) {
        // The silent abort ends the command without a word.
    } catch (const std::bad_alloc&) {
        ShowException(EOutOfMemory(msg::kOutOfMemory));
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TApplication::ShowException(const std::exception& error) {
    if (dynamic_cast<const EAbort*>(&error)) return;
    const auto& messageBox = DialogProviders().messageBox;
    if (messageBox) messageBox(ErrorBoxText(error.what()), ApplicationTitle(), TMessageIcon::Error);
}

const std::string& TApplication::Title() const {
    return ApplicationTitle();
}

TApplication& StartApplication(int& argc, char** argv) {
    auto& application = TheApplication();
    if (!application) application = std::make_unique<TApplication>(argc, argv);
    return *application;
}

TApplication& Application() {
    return *TheApplication();
}

bool ApplicationStarted() {
    return TheApplication() != nullptr;
}

void StopApplication() {
    TheApplication().reset();
}

void SilenceToolkitWarnings() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });
}

}  // namespace vardel
