// The application object on Qt: it starts the toolkit, makes and owns the windows,
// runs the event loop until the main window closes, and shows an error that leaves an
// event handler in the error message box.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QApplication;

namespace vardel {

class TForm;

// The text of the error message box for an error's message: "." is appended unless
// the message's last character already sorts at or before ".".
std::string ErrorBoxText(std::string_view message);

// The title of a program file: its base name without the last extension.
std::string ProgramTitle(std::string_view programPath);

class TApplication {
  public:
    // Starts Qt (argc and argv as main got them; both must outlive the object).
    TApplication(int& argc, char** argv);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Makes a window of class T, hidden, and stores it in `reference` (the window's
    // global). The first window made is the main window. The windows live until
    // FreeWindows or the end of the application; `reference` is cleared then.
    template <class T>
    void MakeWindow(T*& reference) {
        auto form = std::make_unique<T>();
        reference = form.get();
        AddWindow(std::move(form), [&reference] { reference = nullptr; });
    }
    TForm* MainForm() const { return mainForm_; }
    // Destroys the windows in the reverse order of their making.
    void FreeWindows();

    // Shows the main window and handles events until the main window is dismissed.
    void RunEventLoop();
    // Ends RunEventLoop (or keeps it from starting).
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Runs the handler of an event. An error that leaves it ends it there and is
    // shown in the error message box; the silent abort shows nothing.
    void HandleEvent(const std::function<void()>& handler);
    void ShowException(const std::exception& error);

    const std::string& Title() const;

    // Called each time a window goes modal, once it is shown and before its nested
    // loop starts; the command-line companion and tests answer dialogs there.
    std::function<void(TForm&)> OnModalShown;

  private:
    void AddWindow(std::unique_ptr<TForm> form, std::function<void()> clearReference);

    struct Window {
        std::unique_ptr<TForm> form;
        std::function<void()> clearReference;
    };
    std::unique_ptr<QApplication> qt_;
    std::vector<Window> windows_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool running_ = false;  // inside RunEventLoop's loop
};

// Makes the application object (once per process) and returns it.
TApplication& StartApplication(int& argc, char** argv);
// The application object; StartApplication must have run.
TApplication& Application();
bool ApplicationStarted();
// Destroys the windows and the application object.
void StopApplication();

// Drops Qt's own debug and warning output (tools that run windows offscreen print
// only their results and errors).
void SilenceToolkitWarnings();

}  // namespace vardel
