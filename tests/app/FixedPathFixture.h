// The workbench's windows with a drive folder of the test's own (XDG_DATA_HOME points
// into the test's folder), pictures put there under the fixed paths' names, and the
// TIFF reader's message dialogs recorded.
#pragma once

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/app/WorkbenchFixture.h"
#include "tests/tiff/TiffBuilder.h"
#include "tools/samples/SampleFiles.h"

namespace vardel::test {

namespace fs = std::filesystem;

class FixedPathTest : public WorkbenchTest {
  protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        if (const char* old = std::getenv("XDG_DATA_HOME")) savedDataHome_ = old;
        ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        drive = dir / "data" / "vardel" / "drive_c";
        TDialogProviders providers = DialogProviders();
        providers.messageDialog = [this](const std::string& text, const std::string&) {
            dialogs.push_back(text);
        };
        dialogAnswers_ = std::make_unique<TScopedDialogProviders>(providers);
    }

    void TearDown() override {
        dialogAnswers_.reset();
        if (savedDataHome_)
            ::setenv("XDG_DATA_HOME", savedDataHome_->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
        WorkbenchTest::TearDown();
    }

    void PutFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        fs::create_directories(drive);
        std::ofstream(drive / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    // A colour picture whose channels all vary, as C:\1.jpg.
    void PutJpeg(int width, int height) {
        samples::TRaster picture(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.At(x, y) = {x / (width - 1.0), y / (height - 1.0), (x + y) % 7 / 6.0};
        fs::create_directories(drive);
        samples::WriteJpeg(picture, 95, (drive / "1.jpg").string());
    }

    // An 8-bit grey TIFF whose pixel (x, y) is grey(x, y), as C:\saturn.tif.
    void PutGreyTiff(int width, int height, const std::function<uint8_t(int, int)>& grey) {
        std::vector<uint8_t> rows;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) rows.push_back(grey(x, y));
        PutFile("saturn.tif",
                vardel::testing::BuildTiff(
                    true, {vardel::testing::ImageDirectory(width, height, {8}, 1, rows, 7)}));
    }

    // What a window canvas on the main window reads at (x, y).
    static TColor ShownOnForm1(int x, int y) {
        TWindowCanvas canvas(Form1);
        return canvas.ReadPixel(x, y);
    }

    fs::path drive;
    std::vector<std::string> dialogs;

  private:
    std::optional<std::string> savedDataHome_;
    std::unique_ptr<TScopedDialogProviders> dialogAnswers_;
};

}  // namespace vardel::test
