// Frames as bitmaps and drawn onto surfaces: placing and stretching, masks, the
// dithered path of palette displays, palettes and their errors, the composite.
#include <gtest/gtest.h>

#include <set>

#include "formats/gif/GifDIBWriter.h"
#include "formats/gif/GifDither.h"
#include "formats/gif/GifModule.h"
#include "formats/gif/GifPainter.h"
#include "graphics/Picture.h"
#include "tests/gif/GifRenderSupport.h"

namespace vardel::giftest {
namespace {

// A 30 x 20 frame at (10, 20) of a 100 x 100 screen: red, with a green top-left and
// a blue bottom-right pixel to show its orientation.
std::unique_ptr<TGIFImage> PlacedFrame(int transparent = -1, int transparentPixel = 1) {
    auto image = std::make_unique<TGIFImage>();
    SetScreen(*image, 100, 100, kFourColors);
    Bytes pixels(30 * 20, static_cast<uint8_t>(transparentPixel));
    pixels[0] = 2;
    pixels[30 * 20 - 1] = 3;
    AddFrame(*image, {10, 20, 30, 20, pixels, -1, 0, transparent});
    return image;
}

TColor FrameColor(const TGIFSubImage& frame, int fx, int fy) {
    return kFourColors[frame.Pixels[size_t(fy) * frame.Width + size_t(fx)]];
}

TEST(GifRender, AFrameLandsAtItsPlaceAndStretchesWithTheRectangle) {
    auto image = PlacedFrame();
    const TGIFSubImage& frame = image->Frames()[0];
    // At its own size the rest of the surface stays as it was; into 200 x 200 the frame
    // is twice the size at (20, 40).
    for (const int scale : {1, 2}) {
        const int size = 100 * scale;
        auto surface = FilledBitmap(size, size, kGrey);
        if (scale == 1)
            surface->Surface().DrawGraphic(0, 0, image.get());
        else
            surface->Surface().DrawGraphicStretched({0, 0, size, size}, image.get());
        const std::vector<TColor> pixels = PixelsOf(*surface);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const int fx = x / scale - 10, fy = y / scale - 20;
                const bool inside = fx >= 0 && fx < 30 && fy >= 0 && fy < 20;
                ASSERT_EQ(pixels[size_t(y) * size_t(size) + size_t(x)],
                          inside ? FrameColor(frame, fx, fy) : kGrey)
                    << x << "," << y << " at scale " << scale;
            }
    }
}

TEST(GifRender, ScaledFrameRectRoundsHalvesAwayFromZero) {
    TGIFImage image;
    SetScreen(image, 2, 4, kFourColors);
    TGIFSubImage& frame = AddFrame(image, {1, 1, 1, 2});
    // 1 x 3 / 2 = 1.5 -> 2, 2 x 3 / 2 = 3; 1 x 5 / 4 = 1.25 -> 1, 3 x 5 / 4 = 3.75 -> 4.
    EXPECT_EQ(image.ScaledFrameRect(frame, {10, 20, 13, 25}), (gdi::RECT{12, 21, 13, 24}));
    // A mirrored rectangle: -1.5 -> -2 and -3.
    EXPECT_EQ(image.ScaledFrameRect(frame, {10, 0, 7, 4}), (gdi::RECT{8, 1, 7, 3}));
    // A screen of no size keeps the frame's own size at its offset.
    image.Header().ScreenWidth = 0;
    EXPECT_EQ(image.ScaledFrameRect(frame, {10, 20, 13, 25}), (gdi::RECT{11, 21, 12, 24}));
}

TEST(GifRender, TransparentPixelsShowTheSurfaceOnlyWithPoTransparent) {
    // Index 0 (black) is transparent; the frame's pixels are 0 but for the corners.
    auto image = PlacedFrame(0, 0);
    const TGIFSubImage& frame = image->Frames()[0];
    for (const bool stretched : {false, true}) {
        SCOPED_TRACE(stretched ? "stretched" : "own size");
        const int scale = stretched ? 2 : 1;
        for (const bool transparent : {true, false}) {
            image->PaintOptions = transparent
                                      ? kDefaultPaintOptions
                                      : TGIFPaintOptions(kDefaultPaintOptions & ~poTransparent);
            auto surface = FilledBitmap(100 * scale, 100 * scale, kGrey);
            surface->Surface().DrawGraphicStretched({0, 0, 100 * scale, 100 * scale}, image.get());
            for (int y = 20 * scale; y < 40 * scale; ++y)
                for (int x = 10 * scale; x < 40 * scale; ++x) {
                    const int fx = x / scale - 10, fy = y / scale - 20;
                    const bool clear =
                        transparent && frame.Pixels[size_t(fy) * 30 + size_t(fx)] == 0;
                    ASSERT_EQ(surface->Surface().ReadPixel(x, y),
                              clear ? kGrey : FrameColor(frame, fx, fy))
                        << x << "," << y;
                }
        }
    }
    // The graphic's own Transparent flag changes nothing: the paint option decides.
    image->PaintOptions = kDefaultPaintOptions & ~poTransparent;
    image->SetTransparent(true);
    auto surface = Drawn(*image);
    EXPECT_EQ(surface->Surface().ReadPixel(11, 20), 0x000000);
}

TEST(GifRender, ATransparentFrameWithoutTransparentPixelsHasNoMaskAndDrawsOpaque) {
    auto image = PlacedFrame(0, 1);  // transparent index 0, which no pixel uses
    TGIFSubImage& frame = image->Frames()[0];
    EXPECT_TRUE(frame.MaskPending());
    auto surface = Drawn(*image);
    EXPECT_FALSE(frame.MaskPending());
    EXPECT_EQ(frame.Mask(), nullptr);
    for (int y = 20; y < 40; ++y)
        for (int x = 10; x < 40; ++x)
            ASSERT_EQ(surface->Surface().ReadPixel(x, y), FrameColor(frame, x - 10, y - 20));
    // With transparent pixels the mask marks exactly those.
    auto masked = PlacedFrame(1, 1);
    surface->Surface().DrawGraphic(0, 0, masked.get());
    ASSERT_NE(masked->Frames()[0].Mask(), nullptr);
}

TEST(GifRender, FrameBitmapsCarryTheFileColoursAndReportProgress) {
    TLoaded loaded = Load(ReadFile(kDataDir + "/pil-random.gif"));
    ASSERT_EQ(loaded.error, "");
    TGIFImage& image = *loaded.image;
    std::vector<std::string> reports;
    image.OnProgress = [&](TObject* sender, TProgressStage stage, uint8_t percent, bool,
                           const gdi::RECT&, const std::string& msg) {
        EXPECT_EQ(sender, &image.Frames()[0]);
        EXPECT_EQ(msg, "Rendering...");
        reports.push_back(std::to_string(int(stage)) + ":" + std::to_string(percent));
    };
    TGIFSubImage& frame = image.Frames()[0];
    TBitmap* bitmap = image.GetFrameBitmap(frame);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(image.GetFrameBitmap(frame), bitmap);  // built once
    // 100 rows: reports at rows 0, 32, 64 and 96.
    EXPECT_EQ(reports, (std::vector<std::string>{"0:0", "1:0", "1:32", "1:64", "1:96", "2:100"}));
    EXPECT_EQ(bitmap->PixelLayout(), TPixelLayout::Format8Bit);
    const TGIFColorMap& map = image.Header().GlobalColorMap();
    for (int y = 0; y < frame.Height; y += 7)
        for (int x = 0; x < frame.Width; x += 3)
            ASSERT_EQ(bitmap->Surface().ReadPixel(x, y),
                      map.Color(frame.Pixels[size_t(y) * frame.Width + size_t(x)]));
    // A frame without pixels has no bitmap.
    TGIFImage empty;
    TGIFSubImage& none = AddFrame(empty, {0, 0, 4, 4});
    none.Pixels.clear();
    EXPECT_EQ(empty.GetFrameBitmap(none), nullptr);
}

TEST(GifRender, RenderOnLoadBuildsEveryFrameWhileReading) {
    RenderOnLoad = true;
    TLoaded loaded = Load(ReadFile(kDataDir + "/im-anim.gif"));
    RenderOnLoad = false;
    ASSERT_EQ(loaded.error, "");
    for (const auto& frame : loaded.image->Frames().Items())
        EXPECT_NE(frame->FrameBitmap(), nullptr);
}

TEST(GifRender, PaletteDisplaysDrawFramesThroughThe216Colours) {
    TPaletteDisplay display;
    std::set<TColor> cube;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) cube.insert(r * 51 | (g * 51) << 8 | (b * 51) << 16);

    // A grey between two cube levels, a cube colour, and a transparent index.
    TGIFImage image;
    SetScreen(image, 64, 64, {0x808080, 0x996633, 0x0000FF});
    Bytes pixels(64 * 64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 48; x < 64; ++x) pixels[size_t(y) * 64 + size_t(x)] = (x + y) % 2 ? 1 : 2;
    AddFrame(image, {0, 0, 64, 64, pixels, -1, 0, 2});
    ASSERT_TRUE(image.DitherFrames());
    auto surface = Drawn(image, 0x123456);

    // The frame's palette begins with the cube, red slowest.
    std::vector<gdi::PALETTEENTRY> entries(kNetscapeColors);
    ASSERT_EQ(gdi::GetPaletteEntries(image.FramePalette(image.Frames()[0]), 0, kNetscapeColors,
                                     entries.data()),
              unsigned(kNetscapeColors));
    EXPECT_EQ(entries[1 * 36 + 2 * 6 + 3], (gdi::PALETTEENTRY{51, 102, 153, 0}));
    double grey = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const TColor c = surface->Surface().ReadPixel(x, y);
            if (x >= 48) {
                // The cube colour exactly, or the surface where the pixel is transparent.
                ASSERT_EQ(c, (x + y) % 2 ? 0x996633 : 0x123456) << x << "," << y;
                continue;
            }
            ASSERT_EQ(cube.count(c), 1u) << std::hex << c;
            ASSERT_TRUE(c == 0x666666 || c == 0x999999) << std::hex << c;
            grey += c & 0xFF;
        }
    // The dither keeps the mean: 128 lies 26/51 of the way from 102 to 153.
    EXPECT_NEAR(grey / (48 * 64), 128, 1.0);
}

TEST(GifRender, WithoutAnyColourMapDrawingFailsButOnAPaletteDisplay) {
    TGIFImage image;
    image.Header().ScreenWidth = image.Header().ScreenHeight = 8;
    AddFrame(image, {0, 0, 8, 8});
    auto surface = FilledBitmap(8, 8, kGrey);
    EXPECT_EQ(MessageOf([&] { surface->Surface().DrawGraphic(0, 0, &image); }),
              "No global or local color table defined");
    TPaletteDisplay display;
    EXPECT_EQ(MessageOf([&] { surface->Surface().DrawGraphic(0, 0, &image); }), "");
}

TEST(GifRender, FramePalettesComeFromTheNearestMap) {
    TGIFImage image;
    SetScreen(image, 8, 8, kFourColors);
    TGIFSubImage& global = AddFrame(image, {0, 0, 8, 8});
    TGIFSubImage& local = AddFrame(image, {0, 0, 8, 8});
    local.LocalColorMap().Add({1, 2, 3});
    const gdi::HPALETTE imagePalette = image.ImagePalette();
    EXPECT_EQ(image.ImagePalette(), imagePalette);  // kept
    EXPECT_EQ(image.FramePalette(global), imagePalette);
    gdi::PALETTEENTRY entry;
    ASSERT_EQ(gdi::GetPaletteEntries(image.FramePalette(local), 0, 1, &entry), 1u);
    EXPECT_EQ(entry, (gdi::PALETTEENTRY{1, 2, 3, gdi::PC_NOCOLLAPSE}));
    // Without a global map the first frame's palette serves the image.
    TGIFImage noGlobal;
    noGlobal.Header().ScreenWidth = noGlobal.Header().ScreenHeight = 8;
    TGIFSubImage& first = AddFrame(noGlobal, {0, 0, 8, 8});
    first.LocalColorMap().Add({9, 9, 9});
    EXPECT_EQ(noGlobal.ImagePalette(), noGlobal.FramePalette(first));
}

TEST(GifRender, TheDIBWriterChecksItsArguments) {
    TBitmap bitmap;
    EXPECT_EQ(MessageOf([&] { TDIBWriter(bitmap, nullptr, 4, 4, TPixelLayout::Format32Bit); }),
              "Unsupported PixelFormat");
    EXPECT_EQ(MessageOf([&] { TDIBWriter(bitmap, nullptr, 0, 4, TPixelLayout::Format8Bit); }),
              "Invalid image dimensions");
    TDIBWriter writer(bitmap, nullptr, 2, 3, TPixelLayout::Format24Bit);
    EXPECT_EQ(MessageOf([&] { writer.ScanRow(2); }), "Scan line index out of range");
    uint8_t* top = writer.ScanRow(0);
    top[0] = 0xFF;                // blue
    writer.ScanRow(1)[8] = 0xFF;  // red, last pixel
    writer.Finish();
    EXPECT_EQ(MessageOf([&] { writer.ScanRow(0); }), "Image has no DIB");
    ASSERT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 0), 0xFF0000);
    EXPECT_EQ(bitmap.Surface().ReadPixel(2, 1), 0x0000FF);
    EXPECT_EQ(bitmap.Surface().ReadPixel(1, 1), 0x000000);
}

TEST(GifRender, TheDithererSpreadsErrorsAndLeavesSkippedPixelsAlone) {
    // One row of mid grey: the levels alternate so that the mean stays.
    TFloydSteinbergDitherer ditherer(8);
    std::vector<TGIFColor> row(8, TGIFColor{128, 128, 128});
    const uint8_t none[8] = {};
    uint8_t indices[8];
    ditherer.DitherRow(row.data(), none, indices);
    int sum = 0;
    for (uint8_t i : indices) {
        EXPECT_TRUE(i == TNetscapeColorLookup::Index(102, 102, 102) ||
                    i == TNetscapeColorLookup::Index(153, 153, 153));
        sum += TNetscapeColorLookup::Value(i % 6);
    }
    EXPECT_NEAR(sum / 8.0, 128, 13);
    // Skipped pixels take their nearest colour and pass nothing on.
    const uint8_t skip[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    ditherer.DitherRow(row.data(), skip, indices);
    for (uint8_t i : indices) EXPECT_EQ(i, TNetscapeColorLookup::Index(128, 128, 128));
}

// --- the composite of an animation -------------------------------------------------

// Two frames; the second stays on screen for ten minutes.
std::unique_ptr<TGIFImage> TwoFrames() {
    auto image = std::make_unique<TGIFImage>();
    SetScreen(*image, 20, 10, kFourColors);
    AddFrame(*image, {0, 0, 20, 10, {}, 1, 60000});
    AddFrame(*image, {5, 5, 5, 5, Bytes(25, 2), 1, 60000});
    return image;
}

TEST(GifRender, DrawingAgainCopiesTheCompositeWithoutASecondPainter) {
    const int threads = ThreadCount();
    {
        auto image = TwoFrames();
        auto surface = Drawn(*image);
        TGIFPainter* painter = image->ActivePainter();
        ASSERT_NE(painter, nullptr);
        EXPECT_EQ(image->PainterCount(), 1);
        ASSERT_NE(image->CompositeBitmap(), nullptr);
        EXPECT_EQ(surface->Surface().ReadPixel(0, 0), 0x0000FF);  // the first frame

        // Whatever the composite holds is what a second drawing shows.
        image->CompositeBitmap()->Surface().WritePixel(1, 1, 0x00FFFF);
        auto again = Drawn(*image);
        EXPECT_EQ(again->Surface().ReadPixel(1, 1), 0x00FFFF);
        EXPECT_EQ(again->Surface().ReadPixel(0, 0), 0x0000FF);
        EXPECT_EQ(image->ActivePainter(), painter);
        EXPECT_EQ(image->PainterCount(), 1);
    }
    EXPECT_EQ(ThreadCount(), threads);
}

TEST(GifRender, ResizingOrRepalettingStopsThePainterOfTheComposite) {
    auto image = TwoFrames();
    auto surface = Drawn(*image);
    ASSERT_NE(image->ActivePainter(), nullptr);
    EXPECT_EQ(MessageOf([&] { image->SetWidth(9); }), "Image width too small for contained frames");
    image->SetWidth(30);
    EXPECT_EQ(image->CompositeBitmap(), nullptr);
    EXPECT_EQ(image->ActivePainter(), nullptr);
    EXPECT_EQ(image->PainterCount(), 0);

    surface->Surface().DrawGraphic(0, 0, image.get());
    ASSERT_NE(image->ActivePainter(), nullptr);
    image->SetPalette(gdi::GetSystemPalette16());
    EXPECT_EQ(image->CompositeBitmap(), nullptr);
    EXPECT_EQ(image->ActivePainter(), nullptr);
    EXPECT_TRUE(image->PaletteDirty());
    EXPECT_EQ(image->ImagePalette(), gdi::GetSystemPalette16());
}

TEST(GifRender, APictureAssignedAGifCopiesItsFramesAndDrawsTheSame) {
    TLoaded loaded = Load(ReadFile(kDataDir + "/im-anim.gif"));
    ASSERT_EQ(loaded.error, "");
    TGIFImage& source = *loaded.image;
    source.PaintOptions = kDefaultPaintOptions & ~poAnimate;
    TPicture picture;
    picture.Assign(&source);
    auto* copy = dynamic_cast<TGIFImage*>(picture.Graphic());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Save(*copy), Save(source));
    EXPECT_EQ(copy->PaintOptions, source.PaintOptions);
    // The frames are the copy's own.
    copy->Frames()[0].Pixels[0] ^= 1;
    EXPECT_NE(copy->Frames()[0].Pixels[0], source.Frames()[0].Pixels[0]);
    copy->Frames()[0].Pixels[0] ^= 1;
    auto a = FilledBitmap(30, 20, kGrey), b = FilledBitmap(30, 20, kGrey);
    a->Surface().DrawGraphic(0, 0, &source);
    b->Surface().DrawGraphic(0, 0, picture.Graphic());
    EXPECT_EQ(PixelsOf(*a), PixelsOf(*b));
    // Assigning nothing empties it.
    copy->Assign(nullptr);
    EXPECT_TRUE(copy->IsEmpty());
}

}  // namespace
}  // namespace vardel::giftest
