// The program's entry: start the picture modules and the application, make the nine
// windows and run until the main window closes. No arguments are read.
#include <cstdio>
#include <string>

#include "app/DisplayCheck.h"
#include "app/Workbench.h"
#include "formats/Modules.h"
#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/QtDialogs.h"

int main(int argc, char** argv) {
    using namespace vardel;
    std::string reason;
    if (!DisplayAvailable(reason)) {
        std::fprintf(stderr, "vardel needs a graphical desktop and cannot start: %s.\n",
                     reason.c_str());
        return 1;
    }
    TPictureModules modules;
    TApplication& application = StartWorkbenchApplication(argc, argv);
    InstallQtDialogProviders();
    MakeWorkbenchWindows(application);
    application.RunEventLoop();
    // The windows go with the application, before the modules stop.
    StopApplication();
    return 0;
}
