// Dialogs and messages go through replaceable providers, so that tests and the
// command-line companion answer them without a person. The workbench installs the
// toolkit's real dialogs at start-up.
#pragma once

#include <functional>
#include <string>

namespace vardel {

enum class TMessageIcon { None, Error, Warning, Information };

struct TFileDialogRequest {
    bool save = false;
    std::string title;
    std::string filter;            // "Description|*.ext|Description|*.ext"
    int filterIndex = 1;           // 1-based, as selected when the dialog opens
    std::string defaultExtension;  // without the dot; added to names typed without one
    std::string initialName;
};

struct TDialogProviders {
    // Shows the platform's message box; returns the button chosen (1 = OK).
    std::function<int(const std::string& text, const std::string& caption, TMessageIcon icon)> messageBox;
    // The message dialog: modal, centred on the screen, the text and one "OK" button.
    std::function<void(const std::string& text, const std::string& caption)> messageDialog;
    // Returns true with the chosen path in `fileName`, false on cancel.
    std::function<bool(const TFileDialogRequest& request, std::string& fileName)> fileDialog;
};

// The providers in use. By default messages go to standard error and file dialogs
// are cancelled.
TDialogProviders& DialogProviders();
// Installs providers for the lifetime of the returned guard (tests).
class TScopedDialogProviders {
public:
    explicit TScopedDialogProviders(TDialogProviders providers);
    ~TScopedDialogProviders();
    TScopedDialogProviders(const TScopedDialogProviders&) = delete;
    TScopedDialogProviders& operator=(const TScopedDialogProviders&) = delete;

private:
    TDialogProviders saved_;
};

// The application's title: the program file's base name, set at start-up.
const std::string& ApplicationTitle();
void SetApplicationTitle(std::string title);

// The message dialog with the application's title as caption.
void ShowMessageDialog(const std::string& text);

}  // namespace vardel
