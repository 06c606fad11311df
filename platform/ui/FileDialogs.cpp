#include "platform/ui/FileDialogs.h"

#include "platform/ui/Dialogs.h"

namespace vardel {

bool TFileDialog::PickFile() {
    TFileDialogRequest request;
    request.save = save_;
    request.title = title_;
    request.filter = filter_;
    request.filterIndex = filterIndex_;
    request.defaultExtension = defaultExt_;
    request.initialName = fileName_;
    std::string chosen;
    const auto& provider = DialogProviders().fileDialog;
    if (!provider || !provider(request, chosen)) return false;
    fileName_ = std::move(chosen);
    return true;
}

}  // namespace vardel
