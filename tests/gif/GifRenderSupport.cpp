#include "tests/gif/GifRenderSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "formats/gif/GifModule.h"
#include "formats/gif/GifPainter.h"
#include "platform/runtime/Exceptions.h"
#include "platform/ui/UiThread.h"

namespace vardel::giftest {

TGIFSubImage& AddFrame(TGIFImage& image, const TFrameSpec& spec) {
    TGIFSubImage& frame = image.Frames().Add(std::make_unique<TGIFSubImage>(&image));
    frame.Left = static_cast<uint16_t>(spec.left);
    frame.Top = static_cast<uint16_t>(spec.top);
    frame.Width = static_cast<uint16_t>(spec.width);
    frame.Height = static_cast<uint16_t>(spec.height);
    frame.Pixels = spec.pixels;
    if (frame.Pixels.empty()) frame.Pixels.assign(size_t(spec.width) * size_t(spec.height), 1);
    if (spec.disposal >= 0 || spec.transparent >= 0 || spec.delay > 0) {
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
        control->Flags = static_cast<uint8_t>(std::max(spec.disposal, 0) << 2);
        control->Delay = static_cast<uint16_t>(spec.delay);
        if (spec.transparent >= 0) {
            control->Flags |= TGIFGraphicControlExtension::kTransparentFlag;
            control->TransparentColorIndex = static_cast<uint8_t>(spec.transparent);
            frame.IsTransparent = true;
        }
        frame.Extensions().Add(std::move(control));
    }
    return frame;
}

void AddLoopBlock(TGIFSubImage& frame, int count) {
    auto loop = std::make_unique<TGIFAppExtNSLoop>(frame);
    loop->LoopCount = static_cast<uint16_t>(count);
    frame.Extensions().Add(std::move(loop));
}

void SetScreen(TGIFImage& image, int width, int height, const std::vector<TColor>& colors) {
    image.Header().ScreenWidth = static_cast<uint16_t>(width);
    image.Header().ScreenHeight = static_cast<uint16_t>(height);
    for (TColor c : colors)
        image.Header().GlobalColorMap().Add(
            {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16)});
}

std::unique_ptr<TBitmap> FilledBitmap(int width, int height, TColor fill) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelLayout(TPixelLayout::Format32Bit);
    bitmap->SetSize(width, height);
    bitmap->Surface().Brush().SetColor(fill);
    bitmap->Surface().FillRect({0, 0, width, height});
    return bitmap;
}

std::unique_ptr<TBitmap> Drawn(TGIFImage& image, TColor fill) {
    auto surface = FilledBitmap(image.Width(), image.Height(), fill);
    surface->Surface().DrawGraphic(0, 0, &image);
    return surface;
}

std::vector<TColor> PixelsOf(TBitmap& bitmap) {
    std::vector<TColor> pixels;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) pixels.push_back(bitmap.Surface().ReadPixel(x, y));
    return pixels;
}

bool PumpUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        if (!RunPendingUiCalls()) YieldTimeSlice();
    }
    return true;
}

std::vector<std::vector<TColor>> CompositeAfterEachFrame(TGIFImage& image, TColor underlay) {
    std::vector<std::vector<TColor>> shown;
    image.AfterFrameHandler = [&](TGIFPainter* painter) {
        std::vector<TColor> pixels;
        TCanvas& target = painter->TargetSurface();
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) pixels.push_back(target.ReadPixel(x, y));
        shown.push_back(pixels);
    };
    auto surface = Drawn(image, underlay);
    EXPECT_TRUE(PumpUntil([&] { return image.PainterCount() == 0; }));
    image.AfterFrameHandler = nullptr;
    return shown;
}

int ThreadCount() {
    // Some runtimes (the thread sanitizer's) start a helper thread of their own with
    // the first thread of the process: make sure that has happened before counting.
    static const bool settled = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)settled;
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

TPaletteDisplay::TPaletteDisplay() {
    gdi::SetDisplayBitsPerPixel(8);
    PaletteDisplay = true;
}

TPaletteDisplay::~TPaletteDisplay() {
    gdi::SetDisplayBitsPerPixel(32);
    PaletteDisplay = false;
}

TGIFPainterTiming TFakeClock::Timing() {
    TGIFPainterTiming timing;
    timing.Now = [this] {
        std::lock_guard lock(mutex_);
        return now_;
    };
    timing.Sleep = [this](uint32_t milliseconds) {
        std::lock_guard lock(mutex_);
        waits_.push_back(milliseconds);
        now_ += milliseconds;
    };
    timing.Wait = [this](TEvent& wake, uint32_t milliseconds) {
        {
            std::lock_guard lock(mutex_);
            waits_.push_back(milliseconds);
            if (milliseconds != kInfinite) {
                now_ += milliseconds;
                return TWaitResult::Timeout;
            }
        }
        return wake.WaitFor(kInfinite);
    };
    return timing;
}

void TFakeClock::Advance(uint32_t milliseconds) {
    std::lock_guard lock(mutex_);
    now_ += milliseconds;
}

std::vector<uint32_t> TFakeClock::Waits() const {
    std::lock_guard lock(mutex_);
    return waits_;
}

}  // namespace vardel::giftest
