// Animations made by ImageMagick and Pillow, played: the composite after each frame
// against the frames that ImageMagick's `convert -coalesce` makes by the same
// disposal rules; and vardel-cli's convert and frames on them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "tests/gif/GifRenderSupport.h"

namespace vardel::giftest {
namespace {

namespace fs = std::filesystem;

const char* const kConvert = "/usr/bin/convert";
constexpr TColor kUnderlay = 0xFF00FF;  // in none of the files' maps

int RunShell(const std::string& command, Bytes* output = nullptr) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        if (output) output->insert(output->end(), buffer, buffer + n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ImageMagick's coalesced frames as RGBA, screen-sized each; transparent pixels
// become `underlay` (partly transparent ones do not occur in GIF).
std::vector<std::vector<TColor>> Coalesced(const std::string& file, int width, int height,
                                           TColor underlay) {
    Bytes rgba;
    if (RunShell(std::string(kConvert) + " '" + file + "' -coalesce -depth 8 RGBA:-", &rgba) != 0)
        return {};
    const size_t frameBytes = size_t(width) * size_t(height) * 4;
    std::vector<std::vector<TColor>> frames;
    for (size_t at = 0; at + frameBytes <= rgba.size(); at += frameBytes) {
        std::vector<TColor> pixels;
        for (size_t p = at; p < at + frameBytes; p += 4)
            pixels.push_back(rgba[p + 3] == 0
                                 ? underlay
                                 : TColor(rgba[p] | rgba[p + 1] << 8 | rgba[p + 2] << 16));
        frames.push_back(std::move(pixels));
    }
    return frames;
}

TEST(GifCompositeOracle, TheCompositeAfterEachFrameIsWhatImageMagickCoalesces) {
    if (!fs::exists(kConvert)) GTEST_SKIP() << "ImageMagick's convert is not installed";
    for (const char* name : {"im-dispose.gif", "pil-dispose.gif", "im-anim.gif", "pil-anim.gif"}) {
        for (const TGIFPaintOptions options :
             {TGIFPaintOptions(kDefaultPaintOptions & ~poLoop),
              TGIFPaintOptions(kDefaultPaintOptions & ~(poLoop | poThreaded))}) {
            SCOPED_TRACE(std::string(name) + (options & poThreaded ? " threaded" : ""));
            TLoaded loaded = Load(ReadFile(kDataDir + "/" + name));
            ASSERT_EQ(loaded.error, "");
            TGIFImage& image = *loaded.image;
            const auto expected =
                Coalesced(kDataDir + "/" + name, image.Width(), image.Height(), kUnderlay);
            ASSERT_EQ(int(expected.size()), image.Frames().Count());
            image.PaintOptions = options;
            TFakeClock clock;
            image.PainterTiming = clock.Timing();
            const auto shown = CompositeAfterEachFrame(image, kUnderlay);
            ASSERT_EQ(shown.size(), expected.size());
            for (size_t f = 0; f < shown.size(); ++f) {
                int differ = 0;
                for (size_t p = 0; p < shown[f].size(); ++p)
                    differ += shown[f][p] != expected[f][p];
                EXPECT_EQ(differ, 0) << "frame " << f;
            }
        }
    }
}

TEST(GifCompositeOracle, CompanionConvertsTheFirstFrameAndWritesEveryFramesBitmap) {
    if (!fs::exists(kConvert)) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const fs::path dir =
        fs::temp_directory_path() / ("vardel-gif-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string cli = VARDEL_CLI;
    for (const char* name : {"im-dispose.gif", "pil-anim.gif"}) {
        SCOPED_TRACE(name);
        const std::string file = kDataDir + "/" + name;
        TLoaded loaded = Load(ReadFile(file));
        ASSERT_EQ(loaded.error, "");
        const TGIFImage& image = *loaded.image;

        const fs::path converted = dir / "converted.bmp";
        ASSERT_EQ(RunShell(cli + " convert '" + file + "' '" + converted.string() + "'"), 0);
        TBitmap bitmap;
        bitmap.LoadFile(converted.string());
        // The first frame exactly, on white.
        EXPECT_EQ(PixelsOf(bitmap), Coalesced(file, image.Width(), image.Height(), 0xFFFFFF).at(0));

        const fs::path frames = dir / name;
        ASSERT_EQ(RunShell(cli + " frames '" + file + "' '" + frames.string() + "'"), 0);
        for (int i = 0; i < image.Frames().Count(); ++i) {
            SCOPED_TRACE(i);
            const TGIFSubImage& frame = image.Frames()[i];
            TBitmap written;
            written.LoadFile((frames / ("frame-" + std::to_string(i) + ".bmp")).string());
            ASSERT_EQ(written.Width(), frame.Width);
            ASSERT_EQ(written.Height(), frame.Height);
            const TGIFColorMap& map = frame.LocalColorMap().Count() > 0
                                          ? static_cast<const TGIFColorMap&>(frame.LocalColorMap())
                                          : image.Header().GlobalColorMap();
            for (int y = 0; y < frame.Height; ++y)
                for (int x = 0; x < frame.Width; ++x)
                    ASSERT_EQ(written.Surface().ReadPixel(x, y),
                              map.Color(frame.Pixels[size_t(y) * frame.Width + size_t(x)]));
        }
    }
    int status = RunShell(cli + " frames '" + dir.string() + "/missing.gif' '" + dir.string() +
                          "' 2>/dev/null");
    EXPECT_EQ(status, 1);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vardel::giftest
