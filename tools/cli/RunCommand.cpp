// vardel-cli run: one menu command of the workbench on its real windows, without a
// display. Dialogs are answered at once: modal windows close with their edit fields
// set as given, open dialogs choose IN and save dialogs OUT.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/Dorsk.h"
#include "app/Unit3.h"
#include "app/Unit7.h"
#include "app/Unit8.h"
#include "app/Workbench.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/StdControls.h"
#include "tools/cli/Commands.h"

namespace vardel::cli {

namespace {

// The view that a command draws into, whose picture `run` saves.
TImage& ViewDrawnBy(const TMenuItem* item) {
    const TForm1& f = *Form1;
    if (item->Parent() == f.Histogramas1 || item == f.BorrarHistograma1) return *Form3->Image2;
    if (item == f.Convolucion1 || item == f.Convol21) return *Form8->Image2;
    if (item == f.CargarGIF1 || item == f.CargarTiff1) return *Form7->Image7;
    return *f.Image1;
}

// Stops the windows and the application when `run` ends, also on an error.
struct TApplicationScope {
    ~TApplicationScope() { StopApplication(); }
};

}  // namespace

int RunCommand(const std::vector<std::string>& args) {
    if (args.size() < 3) return 2;
    const std::string& command = args[0];
    const std::string& in = args[1];
    const std::string& out = args[2];
    std::array<std::optional<std::string>, 3> edits;
    for (size_t i = 3; i < args.size(); i += 2) {
        const std::string& option = args[i];
        if (i + 1 >= args.size() || option.size() != 7 || option.compare(0, 6, "--edit") != 0 ||
            option[6] < '1' || option[6] > '3')
            return 2;
        edits[static_cast<size_t>(option[6] - '1')] = args[i + 1];
    }

    // Never a display: Qt draws the windows into memory.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "vardel-cli";
    static char* argv[] = {name, nullptr};
    SilenceToolkitWarnings();
    TApplication& application = StartWorkbenchApplication(argc, argv);
    TApplicationScope scope;
    MakeWorkbenchWindows(application);

    TMenuItem* item = Form1->MainMenu1->FindByCaption(command);
    if (!item || item->Count() > 0) {
        std::fprintf(stderr, "vardel-cli: no menu command is captioned \"%s\"\n", command.c_str());
        return 2;
    }
    Form1->Image1->Picture().LoadFile(in);

    application.OnModalShown = [&edits](TForm& form) {
        size_t field = 0;
        for (TWinControl* control : form.TabOrderControls()) {
            auto* edit = dynamic_cast<TEdit*>(control);
            if (!edit) continue;
            if (field < edits.size() && edits[field]) edit->SetText(*edits[field]);
            ++field;
        }
        form.Dismiss();
    };
    TDialogProviders providers = DialogProviders();
    providers.fileDialog = [&in, &out](const TFileDialogRequest& request, std::string& fileName) {
        fileName = request.save ? out : in;
        return true;
    };
    TScopedDialogProviders answers(providers);

    // Errors of the command reach the caller (and standard error), not a message box.
    if (item->OnClick) item->OnClick(item);
    ViewDrawnBy(item).Picture().SaveFile(out);
    return 0;
}

}  // namespace vardel::cli
