// Our reader and writer against independent ones: giflib in process, Pillow and
// ImageMagick as programs.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "formats/Modules.h"
#include "formats/gif/GifImage.h"
#include "graphics/Picture.h"
#include "tests/gif/GifTestSupport.h"

namespace vardel::giftest {
namespace {

namespace fs = std::filesystem;

TEST(GifOracle, FilesOfIndependentEncodersReadLikeGiflib) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(kDataDir)) {
        if (entry.path().extension() != ".gif") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes bytes = ReadFile(entry.path().string());
        TLoaded ours = Load(bytes);
        ASSERT_EQ(ours.error, "");
        EXPECT_TRUE(ours.warnings.empty());
        auto theirs = ReadWithGiflib(bytes);
        ASSERT_TRUE(theirs);
        ExpectSameAsGiflib(*ours.image, *theirs);
        ++files;
    }
    EXPECT_GE(files, 6);
}

// An image of random frames; some with local maps, some interlaced.
std::unique_ptr<TGIFImage> RandomImage(std::mt19937& random) {
    auto image = std::make_unique<TGIFImage>();
    const int screenW = 1 + static_cast<int>(random() % 90),
              screenH = 1 + static_cast<int>(random() % 70);
    image->Header().ScreenWidth = static_cast<uint16_t>(screenW);
    image->Header().ScreenHeight = static_cast<uint16_t>(screenH);
    const int globalColors = 1 + static_cast<int>(random() % 256);
    for (int i = 0; i < globalColors; ++i)
        image->Header().GlobalColorMap().Add({uint8_t(i), uint8_t(random()), uint8_t(random())});
    const int frames = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < frames; ++f) {
        auto& frame = image->Frames().Add(std::make_unique<TGIFSubImage>(image.get()));
        frame.Width = static_cast<uint16_t>(1 + random() % static_cast<unsigned>(screenW));
        frame.Height = static_cast<uint16_t>(1 + random() % static_cast<unsigned>(screenH));
        frame.Left =
            static_cast<uint16_t>(random() % static_cast<unsigned>(screenW - frame.Width + 1));
        frame.Top =
            static_cast<uint16_t>(random() % static_cast<unsigned>(screenH - frame.Height + 1));
        int colors = globalColors;
        if (random() % 3 == 0) {
            colors = 1 + static_cast<int>(random() % 256);
            for (int i = 0; i < colors; ++i) frame.LocalColorMap().Add({uint8_t(i), 0, uint8_t(i)});
        }
        if (random() % 2) frame.FrameFlags = TGIFSubImage::kInterlaceFlag;
        if (random() % 2) {
            auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
            control->Delay = static_cast<uint16_t>(random() % 500);
            control->Flags = static_cast<uint8_t>((random() % 4) << 2);
            frame.Extensions().Add(std::move(control));
        }
        // Runs of a few colours with noise, so strings of many lengths occur.
        const int palette = 1 + static_cast<int>(random() % static_cast<unsigned>(colors));
        frame.Pixels.resize(size_t{frame.Width} * frame.Height);
        for (size_t i = 0; i < frame.Pixels.size(); ++i)
            frame.Pixels[i] =
                static_cast<uint8_t>(random() % 5 ? (i / 9) % static_cast<size_t>(palette)
                                                  : random() % static_cast<unsigned>(colors));
    }
    return image;
}

TEST(GifOracle, OurOutputReadsBackInGiflibAndInOurReader) {
    std::mt19937 random(2024);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        auto image = RandomImage(random);
        const Bytes bytes = Save(*image);
        auto theirs = ReadWithGiflib(bytes);
        ASSERT_TRUE(theirs);
        ASSERT_EQ(theirs->frames.size(), static_cast<size_t>(image->Frames().Count()));
        // Frames with a local map are written in order, whatever their flag says.
        for (int f = 0; f < image->Frames().Count(); ++f) {
            const TGIFSubImage& frame = image->Frames()[f];
            EXPECT_EQ(theirs->frames[size_t(f)].pixels, frame.Pixels);
            EXPECT_EQ(theirs->frames[size_t(f)].interlaced,
                      frame.Interlaced() && frame.LocalColorMap().Count() == 0);
        }
        TLoaded ours = Load(bytes);
        ASSERT_EQ(ours.error, "");
        EXPECT_TRUE(ours.warnings.empty());
        ExpectSameAsGiflib(*ours.image, *theirs);
        // What this writer wrote comes out the same when written again.
        EXPECT_EQ(Save(*ours.image), bytes);
    }
}

TEST(GifOracle, GiflibOutputReadsLikeGiflib) {
    std::mt19937 random(77);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        const int colors = 2 << (random() % 8);
        std::vector<std::pair<int, int>> sizes;
        std::vector<Bytes> pixels;
        for (int f = 0, n = 1 + static_cast<int>(random() % 3); f < n; ++f) {
            const int w = 1 + static_cast<int>(random() % 300),
                      h = 1 + static_cast<int>(random() % 200);
            Bytes p(size_t(w) * size_t(h));
            for (size_t i = 0; i < p.size(); ++i)
                p[i] = static_cast<uint8_t>(random() % 4 ? (i / 13) % size_t(colors)
                                                         : random() % unsigned(colors));
            sizes.emplace_back(w, h);
            pixels.push_back(std::move(p));
        }
        const Bytes bytes = WriteWithGiflib(300, 200, colors, sizes, pixels);
        ASSERT_FALSE(bytes.empty());
        TLoaded ours = Load(bytes);
        ASSERT_EQ(ours.error, "");
        auto theirs = ReadWithGiflib(bytes);
        ASSERT_TRUE(theirs);
        ExpectSameAsGiflib(*ours.image, *theirs);
        for (size_t f = 0; f < pixels.size(); ++f)
            EXPECT_EQ(ours.image->Frames()[int(f)].Pixels, pixels[f]);
    }
}

// Runs a program and returns what it printed, or nothing when it failed.
std::optional<std::string> RunProgram(const std::string& command) {
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    return pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

TEST(GifOracle, PillowAndImageMagickReadWhatThePictureSaves) {
    const bool havePillow = RunProgram("/usr/bin/python3 -c 'import PIL'").has_value();
    const bool haveMagick = fs::exists("/usr/bin/convert");
    if (!havePillow && !haveMagick)
        GTEST_SKIP() << "neither python3-pil nor imagemagick is installed";
    const fs::path dir = fs::temp_directory_path() / ("vardel-gif-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string in = (dir / "in.gif").string(), out = (dir / "out.gif").string();
    std::mt19937 random(5);
    Bytes pixels(37 * 23);
    for (uint8_t& p : pixels) p = static_cast<uint8_t>(random() % 16);
    WriteFile(in, WriteWithGiflib(37, 23, 16, {{37, 23}}, {pixels}));
    {
        // As "vardel-cli save" does: through the picture container by name.
        TPictureModules modules;
        TPicture picture;
        picture.LoadFile(in);
        ASSERT_NE(dynamic_cast<TGIFImage*>(picture.Graphic()), nullptr);
        picture.SaveFile(out);
    }
    auto theirs = ReadWithGiflib(ReadFile(out));
    ASSERT_TRUE(theirs);
    EXPECT_EQ(theirs->frames[0].pixels, pixels);

    if (havePillow) {
        const auto pillow =
            RunProgram("/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + out +
                       "'); print(im.mode, bytes(im.getdata()).hex())\"");
        std::string hex;
        for (uint8_t p : pixels) hex += {"0123456789abcdef"[p >> 4], "0123456789abcdef"[p & 15]};
        EXPECT_EQ(pillow.value_or("Pillow could not read the file"), "P " + hex + "\n");
    } else {
        std::puts("python3-pil is not installed; Pillow's reading is not checked");
    }
    if (haveMagick) {
        const auto magick = RunProgram("/usr/bin/convert '" + out + "' -depth 8 rgb:-");
        // giflib's test map: entry i is (i, 255 - i, 7i).
        std::string rgb;
        for (uint8_t p : pixels) rgb += {char(p), char(255 - p), char(p * 7)};
        EXPECT_TRUE(magick == rgb) << "ImageMagick read otherwise, or could not read the file";
    } else {
        std::puts("imagemagick is not installed; its reading is not checked");
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vardel::giftest
