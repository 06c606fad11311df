#include "platform/ui/Dialogs.h"

#include <cstdio>

namespace vardel {

namespace {
TDialogProviders DefaultProviders() {
    TDialogProviders p;
    p.messageBox = [](const std::string& text, const std::string&, TMessageIcon) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return 1;
    };
    p.messageDialog = [](const std::string& text, const std::string&) { std::fprintf(stderr, "%s\n", text.c_str()); };
    p.fileDialog = [](const TFileDialogRequest&, std::string&) { return false; };
    return p;
}

std::string& Title() {
    static std::string title = "vardel";
    return title;
}
}  // namespace

TDialogProviders& DialogProviders() {
    static TDialogProviders providers = DefaultProviders();
    return providers;
}

TScopedDialogProviders::TScopedDialogProviders(TDialogProviders providers) : saved_(DialogProviders()) {
    DialogProviders() = std::move(providers);
}

TScopedDialogProviders::~TScopedDialogProviders() { DialogProviders() = std::move(saved_); }

const std::string& ApplicationTitle() { return Title(); }
void SetApplicationTitle(std::string title) { Title() = std::move(title); }

void ShowMessageDialog(const std::string& text) { DialogProviders().messageDialog(text, ApplicationTitle()); }

}  // namespace vardel
