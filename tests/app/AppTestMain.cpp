// The workbench tests drive the real windows on Qt's offscreen platform, with the
// picture modules started as the program starts them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/Workbench.h"
#include "formats/Modules.h"
#include "platform/ui/qt/Application.h"

int main(int argc, char** argv) {
    // Offscreen always; a run may give the offscreen platform a screen of its own
    // ("offscreen:configfile=…").
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::strncmp(platform, "offscreen", 9) != 0)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    vardel::SilenceToolkitWarnings();
    vardel::TPictureModules modules;
    vardel::StartWorkbenchApplication(argc, argv);
    const int status = RUN_ALL_TESTS();
    vardel::StopApplication();
    return status;
}
