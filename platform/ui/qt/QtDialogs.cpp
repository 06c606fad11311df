#include "platform/ui/qt/QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/ui/Dialogs.h"

namespace vardel {

namespace {

std::vector<std::string> SplitBars(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t bar = text.find('|', start);
        parts.push_back(text.substr(start, bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return parts;
}

QMessageBox::Icon QtIcon(TMessageIcon icon) {
    switch (icon) {
        case TMessageIcon::Error:
            return QMessageBox::Critical;
        case TMessageIcon::Warning:
            return QMessageBox::Warning;
        case TMessageIcon::Information:
            return QMessageBox::Information;
        case TMessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

int MessageBox(const std::string& text, const std::string& caption, TMessageIcon icon) {
    QMessageBox box(QtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
    return 1;
}

void MessageDialog(const std::string& text, const std::string& caption) {
    // No parent: Qt centres it on the screen.
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                    QString::fromStdString(text));
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool FileDialog(const TFileDialogRequest& request, std::string& fileName) {
    QFileDialog dialog;
    dialog.setWindowTitle(QString::fromStdString(request.title));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Saving over an existing file asks nothing.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (const std::string& f : QtNameFilters(request.filter)) filters << QString::fromStdString(f);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex - 1;
        if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
    }
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.initialName.empty())
        dialog.selectFile(QString::fromStdString(request.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    fileName = dialog.selectedFiles().first().toStdString();
    return true;
}

}  // namespace

std::vector<std::string> QtNameFilters(const std::string& filter) {
    std::vector<std::string> result;
    if (filter.empty()) return result;
    const std::vector<std::string> parts = SplitBars(filter);
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns = parts[i + 1];
        for (char& c : patterns)
            if (c == ';') c = ' ';
        const std::string& description = parts[i];
        const std::string suffix = "(" + patterns + ")";
        if (description.size() >= suffix.size() &&
            description.compare(description.size() - suffix.size(), suffix.size(), suffix) == 0)
            result.push_back(description);
        else
            result.push_back(description + " " + suffix);
    }
    return result;
}

void InstallQtDialogProviders() {
    TDialogProviders& providers = DialogProviders();
    providers.messageBox = MessageBox;
    providers.messageDialog = MessageDialog;
    providers.fileDialog = FileDialog;
}

}  // namespace vardel
