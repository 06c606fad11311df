#include "app/Workbench.h"

#include "app/Dorsk.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "app/Unit7.h"
#include "app/Unit8.h"
#include "app/Unit9.h"
#include "graphics/Bitmap.h"
#include "platform/ui/Control.h"
#include "platform/ui/qt/Application.h"

namespace vardel {

TApplication& StartWorkbenchApplication(int& argc, char** argv) {
    static bool hooked = false;
    if (!hooked) {
        AddAfterMessageHook(FreeMemoryContexts);
        hooked = true;
    }
    return StartApplication(argc, argv);
}

void MakeWorkbenchWindows(TApplication& application) {
    application.MakeWindow(Form1);
    application.MakeWindow(Form2);
    application.MakeWindow(Form3);
    application.MakeWindow(Form4);
    application.MakeWindow(ParContraste);
    application.MakeWindow(Form6);
    application.MakeWindow(Form7);
    application.MakeWindow(Form8);
    application.MakeWindow(Form9);
}

}  // namespace vardel
