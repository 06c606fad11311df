// "Cargar GIF" on GIF files that the tests build through the GIF object model, and GIF
// pictures opened and saved with the "Archivos" commands.
#include <fstream>
#include <set>

#include "formats/gif/GifImage.h"
#include "formats/gif/GifPainter.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Threads.h"
#include "tests/app/FixedPathFixture.h"
#include "tests/gif/GifRenderSupport.h"

using namespace vardel;
using namespace vardel::test;

namespace {

// Colour indices of the test GIFs' global map.
constexpr uint8_t kRed = 1, kGreen = 2;

struct TTestFrame {
    int left, top, width, height;
    uint8_t index;
};

// A GIF with one solid-coloured frame per entry; with `loop`, the first frame carries
// a loop block that repeats for ever, and every frame waits one hundredth and is
// left in place.
void WriteGif(const std::string& path, int width, int height, const std::vector<TTestFrame>& frames,
              bool loop = false) {
    TGIFImage gif;
    giftest::SetScreen(gif, width, height, giftest::kFourColors);
    for (const TTestFrame& f : frames) {
        const std::vector<uint8_t> pixels(size_t(f.width) * size_t(f.height), f.index);
        auto& frame = giftest::AddFrame(gif, {f.left, f.top, f.width, f.height, pixels, 1, 1});
        if (loop && gif.Frames().Count() == 1) giftest::AddLoopBlock(frame, 0);
    }
    gif.SaveFile(path);
}

using giftest::ThreadCount;

class GifCommandTest : public FixedPathTest {
  protected:
    void PutGif(int width, int height, const std::vector<TTestFrame>& frames, bool loop = false) {
        fs::create_directories(drive);
        WriteGif((drive / "DIDOR_AZE.gif").string(), width, height, frames, loop);
    }
};

}  // namespace

TEST_F(GifCommandTest, CargarGifDrawsOntoAWhiteBitmapOfTheViewsSizeTheFirstTime) {
    PutGif(30, 20, {{0, 0, 30, 20, kRed}});
    Form1->CargarGIF1->Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Form7->Showing());
    TBitmap* bitmap = HeldBitmap(*Form7->Image7);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(SizeOf(*bitmap), Size(801, 433));
    EXPECT_EQ(PixelOf(*Form7->Image7, 0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(PixelOf(*Form7->Image7, 29, 19), Rgb(255, 0, 0));
    EXPECT_EQ(PixelOf(*Form7->Image7, 30, 5), Rgb(255, 255, 255));
    EXPECT_EQ(PixelOf(*Form7->Image7, 800, 432), Rgb(255, 255, 255));
    EXPECT_EQ(ClientSizeOf(*Form7), Size(801, 433));
    EXPECT_EQ(Form1->Image1->Picture().Graphic(), nullptr);
}

TEST_F(GifCommandTest, CargarGifAndCargarTiffOneAfterTheOther) {
    // The GIF over the TIFF's bitmap: the bitmap keeps the TIFF's size.
    PutGreyTiff(50, 40, [](int, int) { return uint8_t{77}; });
    Form1->CargarTiff1->Click();
    PutGif(30, 20, {{0, 0, 30, 20, kRed}});
    Form1->CargarGIF1->Click();
    EXPECT_EQ(SizeOf(*HeldBitmap(*Form7->Image7)), Size(50, 40));
    EXPECT_EQ(PixelOf(*Form7->Image7, 5, 5), Rgb(255, 0, 0));
    EXPECT_EQ(PixelOf(*Form7->Image7, 40, 30), 0x010101 * 77);

    // The TIFF after the GIF leaves no trace of it.
    Form1->CargarTiff1->Click();
    EXPECT_EQ(PixelsOf(*Form7->Image7), std::vector<TColor>(50 * 40, 0x010101 * 77));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(GifCommandTest, AnAnimatedGifShowsItsFirstFrameAndItsPainterEndsWithTheCommand) {
    // Settle the threads that the toolkit starts on first use.
    PutGif(30, 20, {{0, 0, 30, 20, kRed}});
    Form1->CargarGIF1->Click();
    const int threadsBefore = ThreadCount();

    // Two frames that loop for ever, one hundredth each: a painter that would play
    // them for the rest of the run.
    PutGif(30, 20, {{0, 0, 30, 20, kGreen}, {0, 0, 30, 20, kRed}}, true);
    Form1->CargarGIF1->Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(PixelOf(*Form7->Image7, 5, 5), Rgb(0, 255, 0));
    EXPECT_EQ(ThreadCount(), threadsBefore);
    // Nothing animates Image7 afterwards either: events are handled, and the view
    // watched, until the painter's clock has passed ten times the frame delay that a
    // painter left running would wait between the two frames.
    const uint32_t start = TimeGetTime();
    const uint32_t watch = 10 * TGIFPainter::kShortestDelaySteps * TGIFPainter::kStepMilliseconds;
    std::set<TColor> seen;
    while (TimeGetTime() - start < watch) {
        QApplication::processEvents();
        seen.insert(PixelOf(*Form7->Image7, 5, 5));
        Sleep(5);
    }
    EXPECT_EQ(seen, std::set<TColor>{Rgb(0, 255, 0)});
}

TEST_F(GifCommandTest, AbrirImagenOfAGifShowsGifPicturesThatPixelCommandsRefuseAndSavesGifData) {
    const std::string path = (dir / "moving.gif").string();
    WriteGif(path, 12, 10, {{0, 0, 12, 10, kGreen}, {2, 2, 4, 4, kRed}});
    fileAnswers.push_back(path);
    AnswerModal();
    Form1->SalvarImagen1->Click();
    EXPECT_TRUE(messages.empty());
    auto* main = dynamic_cast<TGIFImage*>(Form1->Image1->Picture().Graphic());
    auto* second = dynamic_cast<TGIFImage*>(Form8->Image2->Picture().Graphic());
    ASSERT_NE(main, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(main, second);
    EXPECT_EQ(Form1->Image1->Width(), 12);

    Form1->ComponenteVerde1->Click();
    EXPECT_EQ(messages, std::vector<std::string>{kNotABitmap});

    // Saved under a .bmp name, the picture is still written as a GIF, with both frames.
    const std::string saved = (dir / "saved.bmp").string();
    fileAnswers.push_back(saved);
    Form1->SalvarImagen2->Click();
    EXPECT_EQ(FirstBytes(saved, 6), "GIF89a");
    TGIFImage reread;
    reread.LoadFile(saved);
    ASSERT_EQ(reread.Frames().Count(), 2);
    EXPECT_EQ(reread.Frames()[1].Left, 2);
    EXPECT_EQ(reread.Frames()[1].Pixels, std::vector<uint8_t>(16, kRed));
}
