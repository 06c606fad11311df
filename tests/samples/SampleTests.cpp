// The pictures behind the fixed paths, as committed under samples/, and the icon.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "formats/Modules.h"
#include "formats/gif/GifImage.h"
#include "formats/jpeg/Jpeg.h"
#include "formats/tiff/ReadTiff.h"
#include "platform/ui/Dialogs.h"

using namespace vardel;
namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(VARDEL_SOURCE_DIR) / "samples";

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class SampleTest : public ::testing::Test {
  protected:
    TPictureModules modules_;
};

}  // namespace

TEST_F(SampleTest, TheGeneratorStillMakesTheCommittedFiles) {
    const fs::path out =
        fs::temp_directory_path() / ("vardel-samples-" + std::to_string(::getpid()));
    fs::create_directories(out);
    const std::string command = std::string("'") + VARDEL_SAMPLES_TOOL + "' '" + out.string() +
                                "' '" + (out / "vardel.svg").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* name : {"1.jpg", "DIDOR_AZE.gif", "saturn.tif"})
        EXPECT_TRUE(Contents(out / name) == Contents(kSamples / name)) << name << " differs";
    EXPECT_TRUE(Contents(out / "vardel.svg") ==
                Contents(fs::path(VARDEL_SOURCE_DIR) / "app/desktop/vardel.svg"));
    fs::remove_all(out);
}

TEST_F(SampleTest, TheJpegIsAColourPhotographThatFitsTheMainWindow) {
    TJPEGImage jpeg;
    jpeg.LoadFile((kSamples / "1.jpg").string());
    EXPECT_FALSE(jpeg.Grayscale());
    // The main window's empty view is 721 x 321: the whole picture shows there.
    EXPECT_EQ(jpeg.Width(), 640);
    EXPECT_EQ(jpeg.Height(), 320);
    TCanvas& pixels = jpeg.DecodeBitmap().Surface();
    std::set<TColor> colors;
    for (int y = 0; y < 320; y += 3)
        for (int x = 0; x < 640; x += 3) colors.insert(pixels.ReadPixel(x, y));
    EXPECT_GT(colors.size(), 5000u);
}

TEST_F(SampleTest, TheGifIsALoopingAnimationWithTransparencyAndSeveralDisposals) {
    TGIFImage gif;
    gif.LoadFile((kSamples / "DIDOR_AZE.gif").string());
    EXPECT_LE(gif.Width(), 801);
    EXPECT_LE(gif.Height(), 433);
    ASSERT_GE(gif.Frames().Count(), 3);
    bool loop = false, transparent = false;
    std::set<int> disposals;
    for (const auto& frame : gif.Frames().Items()) {
        for (const auto& extension : frame->Extensions().Items())
            if (dynamic_cast<const TGIFAppExtNSLoop*>(extension.get())) loop = true;
        if (const TGIFGraphicControlExtension* control = frame->GraphicControl()) {
            disposals.insert(control->Disposal());
            transparent = transparent || control->Transparent();
        }
    }
    EXPECT_TRUE(loop);
    EXPECT_TRUE(transparent);
    EXPECT_GE(disposals.size(), 2u);
    // The first frame covers the whole screen, so the first frame alone is a picture.
    EXPECT_EQ(gif.Frames()[0].Width, gif.Width());
    EXPECT_EQ(gif.Frames()[0].Height, gif.Height());
}

TEST_F(SampleTest, TheTiffIsAnRgbPlanetThatTheTiffReaderDecodesWithoutComplaint) {
    std::vector<std::string> said;
    TDialogProviders providers = DialogProviders();
    providers.messageDialog = [&](const std::string& text, const std::string&) {
        said.push_back(text);
    };
    TScopedDialogProviders answers(providers);
    TBitmap bitmap;
    ReadTiffFile((kSamples / "saturn.tif").string(), bitmap);
    EXPECT_TRUE(said.empty());
    EXPECT_EQ(bitmap.Width(), 512);
    EXPECT_EQ(bitmap.Height(), 320);
    // The lit side of the planet, left of its centre, is a warm colour; the corner is space.
    const TColor planet = bitmap.Surface().ReadPixel(226, 150);
    EXPECT_GT(planet & 0xFF, (planet >> 16) & 0xFF);
    EXPECT_LT(bitmap.Surface().ReadPixel(0, 319) & 0xFF, 40);
}
