// The animated sample: the ringed planet as a full first frame that carries the loop
// block, a moon going round it in small transparent frames that restore the previous
// picture when they go, and a shooting star whose frame restores the background.
// Built as the project's GIF object model and written by its own GIF writer.
#include <cmath>
#include <memory>
#include <optional>

#include "formats/gif/GifImage.h"
#include "tools/samples/Planet.h"
#include "tools/samples/Quantize.h"
#include "tools/samples/SampleFiles.h"

namespace vardel::samples {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMoonFrames = 12;
constexpr uint8_t kTransparentIndex = 255;
constexpr uint16_t kDelay = 10;  // hundredths of a second

// A frame's pixels before colour reduction; absent pixels are transparent.
struct TSprite {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::optional<TRgb8>> pixels;
};

TRgb8 Bytes(const TRgb& c) {
    return {ToByte(c.r), ToByte(c.g), ToByte(c.b)};
}

TSprite WholeScene(const TPlanetView& view) {
    const TRaster scene = PaintPlanet(view);
    TSprite sprite{0, 0, view.width, view.height, {}};
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) sprite.pixels.push_back(Bytes(scene.At(x, y)));
    return sprite;
}

// The moon's square on the screen; a pixel is kept where any of its samples sees the
// moon, so its soft edge blends into the scene behind it.
TSprite Moon(const TPlanetView& view, double angle) {
    const TVec moon = MoonPosition(angle);
    const double cx = view.centerX + moon.x * view.scale;
    const double cy = view.centerY - moon.y * view.scale;
    const double r = 0.16 * view.scale + 2;
    TSprite sprite;
    sprite.left = std::max(0, static_cast<int>(std::floor(cx - r)));
    sprite.top = std::max(0, static_cast<int>(std::floor(cy - r)));
    sprite.width = std::min(view.width, static_cast<int>(std::ceil(cx + r))) - sprite.left;
    sprite.height = std::min(view.height, static_cast<int>(std::ceil(cy + r))) - sprite.top;
    const int n = view.samples;
    for (int y = sprite.top; y < sprite.top + sprite.height; ++y)
        for (int x = sprite.left; x < sprite.left + sprite.width; ++x) {
            TRgb sum;
            bool seen = false;
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < n; ++i) {
                    bool here = false;
                    sum +=
                        ShadeSpace(view, x + (i + 0.5) / n, y + (j + 0.5) / n, x, y, moon, &here);
                    seen = seen || here;
                }
            sprite.pixels.push_back(seen ? std::optional(Bytes(sum * (1.0 / (n * n))))
                                         : std::nullopt);
        }
    return sprite;
}

// A streak of light with a fading tail, in the empty sky at the top left.
TSprite ShootingStar(const TPlanetView& view) {
    TSprite sprite{16, 12, 46, 16, {}};
    const TRaster scene = PaintPlanet(view);
    const double x0 = 2, y0 = 2, x1 = 43, y1 = 13;
    const double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
    for (int y = 0; y < sprite.height; ++y)
        for (int x = 0; x < sprite.width; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double t = std::clamp(((px - x0) * dx + (py - y0) * dy) / length2, 0.0, 1.0);
            const double ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
            const double across = std::exp(-(ex * ex + ey * ey) / (0.35 + 0.6 * t));
            const double level = across * t * t;
            if (level < 0.06) {
                sprite.pixels.push_back(std::nullopt);
                continue;
            }
            const TRgb under = scene.At(sprite.left + x, sprite.top + y);
            sprite.pixels.push_back(Bytes(Mix(under, TRgb{1.0, 0.97, 0.85}, Clamp01(level * 1.4))));
        }
    return sprite;
}

TGIFSubImage& AddFrame(TGIFImage& image, const TSprite& sprite, const std::vector<TRgb8>& palette) {
    auto& frame = image.Frames().Add(std::make_unique<TGIFSubImage>(&image));
    frame.Left = static_cast<uint16_t>(sprite.left);
    frame.Top = static_cast<uint16_t>(sprite.top);
    frame.Width = static_cast<uint16_t>(sprite.width);
    frame.Height = static_cast<uint16_t>(sprite.height);
    for (const auto& pixel : sprite.pixels)
        frame.Pixels.push_back(pixel ? Nearest(palette, *pixel) : kTransparentIndex);
    return frame;
}

void AddControl(TGIFSubImage& frame, TGIFDisposal disposal, bool transparent) {
    auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
    control->Flags = static_cast<uint8_t>(static_cast<int>(disposal) << 2);
    if (transparent) control->Flags |= TGIFGraphicControlExtension::kTransparentFlag;
    control->Delay = kDelay;
    control->TransparentColorIndex = kTransparentIndex;
    frame.Extensions().Add(std::move(control));
}

}  // namespace

void WriteAnimatedGif(const std::string& path) {
    const TPlanetView view{320, 200, 160, 100, 44, 3};
    std::vector<TSprite> sprites{WholeScene(view)};
    // The moon starts on the left and comes round in front of the rings.
    for (int k = 0; k < kMoonFrames; ++k)
        sprites.push_back(Moon(view, kPi - 2 * kPi * k / kMoonFrames));
    sprites.push_back(ShootingStar(view));

    // One palette of 255 colours for all frames; the last entry marks transparency.
    std::vector<TRgb8> colors;
    for (const TSprite& sprite : sprites)
        for (const auto& pixel : sprite.pixels)
            if (pixel) colors.push_back(*pixel);
    const std::vector<TRgb8> palette = MedianCut(colors, 255);

    TGIFImage image;
    image.Header().ScreenWidth = static_cast<uint16_t>(view.width);
    image.Header().ScreenHeight = static_cast<uint16_t>(view.height);
    for (const TRgb8& c : palette) image.Header().GlobalColorMap().Add({c[0], c[1], c[2]});
    while (image.Header().GlobalColorMap().Count() < 256)
        image.Header().GlobalColorMap().Add({255, 0, 255});
    image.Header().BackgroundIndex = Nearest(palette, {0, 0, 0});

    TGIFSubImage& first = AddFrame(image, sprites[0], palette);
    auto loop = std::make_unique<TGIFAppExtNSLoop>(first);
    loop->LoopCount = 0;  // for ever
    first.Extensions().Add(std::move(loop));
    auto comment = std::make_unique<TGIFCommentExtension>(first);
    comment->TextLines.push_back("Made by Vardel's sample generator");
    first.Extensions().Add(std::move(comment));
    AddControl(first, TGIFDisposal::dmNoDisposal, false);

    for (int k = 1; k <= kMoonFrames; ++k)
        AddControl(AddFrame(image, sprites[static_cast<size_t>(k)], palette),
                   TGIFDisposal::dmPrevious, true);
    AddControl(AddFrame(image, sprites.back(), palette), TGIFDisposal::dmBackground, true);

    image.SaveFile(path);
}

}  // namespace vardel::samples
