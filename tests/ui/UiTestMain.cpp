// Window tests run on Qt's offscreen platform: one application for the whole run.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/ui/qt/Application.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    vardel::SilenceToolkitWarnings();
    vardel::StartApplication(argc, argv);
    const int status = RUN_ALL_TESTS();
    vardel::StopApplication();
    return status;
}
