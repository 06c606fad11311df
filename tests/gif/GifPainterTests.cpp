// The painter: frame order and handlers, the composite after each frame under every
// disposal method, delays on a clock the tests move, loops, restart, stop and
// destruction while playing.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "formats/gif/GifPainter.h"
#include "platform/ui/UiThread.h"
#include "tests/gif/GifRenderSupport.h"

namespace vardel::giftest {
namespace {

constexpr TGIFPaintOptions kUnthreaded = kDefaultPaintOptions & ~poThreaded;

// What the painter did, in order: "start", "paint N", "after N", "loop", "end".
struct TPlayLog {
    std::vector<std::string> events;
    std::thread::id thread = std::this_thread::get_id();
    bool allOnThisThread = true;

    void Attach(TGIFImage& image) {
        auto note = [this](const std::string& what) {
            return [this, what](TGIFPainter* painter) {
                if (std::this_thread::get_id() != thread) allOnThisThread = false;
                events.push_back(what == "paint" || what == "after"
                                     ? what + " " + std::to_string(painter->CurrentFrame())
                                     : what);
            };
        };
        image.StartPlayHandler = note("start");
        image.FramePaintHandler = note("paint");
        image.AfterFrameHandler = note("after");
        image.LoopRestartHandler = note("loop");
        image.EndPlayHandler = note("end");
    }
    std::vector<std::string> Painted() const {
        std::vector<std::string> painted;
        for (const auto& e : events)
            if (e.rfind("paint", 0) == 0) painted.push_back(e.substr(6));
        return painted;
    }
};

// n frames of 4 x 4 at (k, 0) on a 12 x 4 screen, each with its own colour.
std::unique_ptr<TGIFImage> Strip(int frames, int delay = 5) {
    auto image = std::make_unique<TGIFImage>();
    SetScreen(*image, 12, 4, kFourColors);
    for (int k = 0; k < frames; ++k)
        AddFrame(*image, {k, 0, 4, 4, Bytes(16, uint8_t(k % 3 + 1)), 1, delay});
    return image;
}

// An image on a clock that the test moves, with its painter's log.
struct TPlay {
    explicit TPlay(std::unique_ptr<TGIFImage> played,
                   TGIFPaintOptions options = kDefaultPaintOptions)
        : image(std::move(played)) {
        image->PainterTiming = clock.Timing();
        image->PaintOptions = options;
        log.Attach(*image);
    }
    TFakeClock clock;
    TPlayLog log;
    std::unique_ptr<TGIFImage> image;  // ends before the clock
};

// Draws the image on a grey surface and, for a threaded painter, runs its calls
// until the play has ended.
void PlayToTheEnd(TGIFImage& image) {
    auto surface = Drawn(image);
    ASSERT_TRUE(PumpUntil([&] { return image.PainterCount() == 0; }));
}

TEST(GifPainter, PlaysTheFramesInOrderWithEveryHandlerOnThisThread) {
    for (const TGIFPaintOptions options : {kDefaultPaintOptions, kUnthreaded}) {
        SCOPED_TRACE(options & poThreaded ? "threaded" : "on the caller's thread");
        TPlay play(Strip(3), options);
        PlayToTheEnd(*play.image);
        EXPECT_EQ(play.log.events,
                  (std::vector<std::string>{"start", "paint 0", "after 0", "paint 1", "after 1",
                                            "paint 2", "after 2", "end"}));
        EXPECT_TRUE(play.log.allOnThisThread);
        EXPECT_EQ(play.image->ActivePainter(), nullptr);
    }
}

TEST(GifPainter, ShowsTheFirstFrameAtOnceAndTheSecondAfterItsDelay) {
    auto image = Strip(2);
    // The delay lasts until the test has looked at the first frame.
    TEvent delayOver;
    std::vector<uint32_t> waits;
    image->PainterTiming.Now = [] { return 1000u; };
    image->PainterTiming.Wait = [&](TEvent&, uint32_t milliseconds) {
        waits.push_back(milliseconds);
        delayOver.WaitFor(kInfinite);
        return TWaitResult::Timeout;
    };
    auto surface = Drawn(*image);
    EXPECT_EQ(surface->Surface().ReadPixel(0, 0), kFourColors[1]);
    EXPECT_EQ(surface->Surface().ReadPixel(4, 0), kGrey);
    delayOver.Set();
    ASSERT_TRUE(PumpUntil([&] { return image->PainterCount() == 0; }));
    TCanvas& composite = image->CompositeBitmap()->Surface();
    EXPECT_EQ(composite.ReadPixel(0, 0), kFourColors[1]);
    EXPECT_EQ(composite.ReadPixel(4, 0), kFourColors[2]);
    EXPECT_EQ(waits, std::vector<uint32_t>{60});  // 5 hundredths, 12 ms each
}

// GIF89a's compositing, one frame at a time, as a reference: transparent pixels are
// skipped (or drawn in their colour), method 2 restores the frame's area to
// `restored`, method 3 to what was there before the frame; others leave it.
std::vector<std::vector<TColor>> Reference(const TGIFImage& image, TColor underlay, TColor restored,
                                           bool transparent) {
    const int w = image.Width(), h = image.Height();
    std::vector<TColor> screen(size_t(w) * size_t(h), underlay);
    std::vector<std::vector<TColor>> shown;
    for (const auto& frame : image.Frames().Items()) {
        const std::vector<TColor> before = screen;
        const TGIFGraphicControlExtension* control = frame->GraphicControl();
        for (int y = 0; y < frame->Height; ++y)
            for (int x = 0; x < frame->Width; ++x) {
                const uint8_t index = frame->Pixels[size_t(y) * frame->Width + size_t(x)];
                if (transparent && frame->IsTransparent && index == control->TransparentColorIndex)
                    continue;
                if (frame->Left + x < w && frame->Top + y < h)
                    screen[size_t(frame->Top + y) * size_t(w) + size_t(frame->Left + x)] =
                        image.Header().GlobalColorMap().Color(index);
            }
        shown.push_back(screen);
        const int disposal = control ? control->Disposal() : 0;
        if (disposal == 2)
            for (int y = frame->Top; y < std::min(h, frame->Top + frame->Height); ++y)
                for (int x = frame->Left; x < std::min(w, frame->Left + frame->Width); ++x)
                    screen[size_t(y) * size_t(w) + size_t(x)] = restored;
        if (disposal == 3) screen = before;
    }
    return shown;
}

TEST(GifPainter, TheCompositeFollowsEveryDisposalMethodAfterEachFrame) {
    // Frames that overlap, with every method from 0 to 7 and transparent pixels.
    auto make = [] {
        auto image = std::make_unique<TGIFImage>();
        SetScreen(*image, 10, 8, kFourColors);
        image->Header().BackgroundIndex = 3;
        auto pattern = [](int w, int h, int seed) {
            Bytes p(size_t(w) * size_t(h));
            for (size_t i = 0; i < p.size(); ++i) p[i] = uint8_t((i * 7 + size_t(seed)) % 4);
            return p;
        };
        AddFrame(*image, {0, 0, 10, 8, pattern(10, 8, 0), 0, 1, 0});
        AddFrame(*image, {2, 1, 5, 4, pattern(5, 4, 1), 2, 1, 0});
        AddFrame(*image, {4, 3, 6, 5, pattern(6, 5, 2), 3, 1, 1});
        AddFrame(*image, {1, 2, 4, 4, pattern(4, 4, 3), 3, 1});
        AddFrame(*image, {0, 4, 7, 4, pattern(7, 4, 1), 1, 1, 2});
        AddFrame(*image, {5, 0, 5, 5, pattern(5, 5, 2), 5, 1, 0});
        AddFrame(*image, {3, 3, 3, 3, pattern(3, 3, 0), 2, 1});
        AddFrame(*image, {6, 2, 4, 6, pattern(4, 6, 3), 7, 1, 3});
        AddFrame(*image, {0, 0, 3, 3, pattern(3, 3, 1), 3, 1, 0});
        AddFrame(*image, {2, 2, 6, 4, pattern(6, 4, 2), 0, 1});
        return image;
    };
    constexpr TColor kUnderlay = 0x336699;
    for (const TGIFPaintOptions options :
         {kDefaultPaintOptions, kUnthreaded,
          TGIFPaintOptions(kDefaultPaintOptions & ~poTransparent)}) {
        SCOPED_TRACE(options);
        TPlay play(make(), options);
        TGIFImage* image = play.image.get();
        const bool transparent = options & poTransparent;
        // Without poTransparent, method 2 restores the file's background colour.
        const auto expected =
            Reference(*image, kUnderlay, transparent ? kUnderlay : kFourColors[3], transparent);
        const auto shown = CompositeAfterEachFrame(*image, kUnderlay);
        ASSERT_EQ(shown.size(), expected.size());
        for (size_t f = 0; f < shown.size(); ++f) EXPECT_EQ(shown[f], expected[f]) << "frame " << f;
    }
}

TEST(GifPainter, HandlersSeeTheDisposalOfTheFrameShownAndOfTheOneBefore) {
    // No graphic control, then methods 0, 2, 3 and the reserved 7 (drawn as 1).
    auto frames = std::make_unique<TGIFImage>();
    SetScreen(*frames, 4, 4, kFourColors);
    AddFrame(*frames, {0, 0, 4, 4});
    for (int disposal : {0, 2, 3, 7}) AddFrame(*frames, {0, 0, 4, 4, {}, disposal, 1});
    TPlay play(std::move(frames), kUnthreaded);
    std::vector<int> beforeDrawing, afterDrawing;
    play.image->FramePaintHandler = [&](TGIFPainter* painter) {
        beforeDrawing.push_back(painter->LastDisposal());
    };
    play.image->AfterFrameHandler = [&](TGIFPainter* painter) {
        afterDrawing.push_back(painter->CurrentDisposal());
    };
    PlayToTheEnd(*play.image);
    EXPECT_EQ(afterDrawing, (std::vector<int>{1, 0, 2, 3, 1}));
    EXPECT_EQ(beforeDrawing, (std::vector<int>{1, 1, 0, 2, 3}));
}

TEST(GifPainter, WaitsEachDelayInTwelveMillisecondStepsLessHalfTheOvershoot) {
    auto make = [] {
        auto image = Strip(5);
        auto& frames = image->Frames();
        frames[0].GraphicControl()->Delay = 1;     // raised to 3 steps
        frames[1].GraphicControl()->Delay = 0;     // 10 steps
        frames[2].Extensions().Clear();            // no graphic control: 10 steps
        frames[3].GraphicControl()->Delay = 5000;  // 1000 steps at most without a thread
        return image;
    };
    struct TCase {
        TGIFPaintOptions options;
        int32_t speed;
        std::vector<uint32_t> waits;
    };
    for (const TCase& c : {TCase{kUnthreaded, 100, {12, 36, 115, 120, 12000}},
                           TCase{kDefaultPaintOptions, 100, {36, 115, 120, 60000}},
                           TCase{kUnthreaded, 200, {6, 18, 58, 60, 6000}}}) {
        SCOPED_TRACE(std::to_string(c.options) + " at " + std::to_string(c.speed) + "%");
        TPlay play(make(), c.options);
        TGIFImage* image = play.image.get();
        TFakeClock& clock = play.clock;
        image->AnimationSpeedPercent = c.speed;
        // Drawing frame 1 takes 10 ms: the next wait is 5 ms shorter.
        image->FramePaintHandler = [&](TGIFPainter* painter) {
            if (painter->CurrentFrame() == 1) clock.Advance(10);
        };
        std::vector<uint32_t> perFrame;
        size_t seen = 0;
        image->AfterFrameHandler = [&](TGIFPainter*) {
            const std::vector<uint32_t> waits = clock.Waits();
            uint32_t sum = 0;
            for (size_t i = seen; i < waits.size(); ++i) sum += waits[i];
            if (sum != 0) perFrame.push_back(sum);
            seen = waits.size();
        };
        PlayToTheEnd(*image);
        EXPECT_EQ(perFrame, c.waits);
        // Without a thread the waits come in slices of at most 100 ms.
        if (!(c.options & poThreaded)) {
            for (uint32_t slice : clock.Waits()) EXPECT_LE(slice, 100u);
        }
    }
    EXPECT_EQ(PainterWait(3, 0, 0, 100), 36);
    EXPECT_EQ(PainterWait(10, 150, 120, 100), 105);  // overran by 30: 15 less
    EXPECT_EQ(PainterWait(10, 100, 120, 100), 130);  // came back early: 10 more
    EXPECT_EQ(PainterWait(3, 0, 0, 300), 12);
}

TEST(GifPainter, SpeedZeroPausesAThreadedPainterUntilItIsStopped) {
    const int threads = ThreadCount();
    TPlay play(Strip(3));
    auto& [clock, log, image] = play;
    image->AnimationSpeedPercent = 0;
    auto surface = Drawn(*image);
    // The first frame comes at once; after it the painter waits without end.
    ASSERT_TRUE(PumpUntil([&] { return clock.Waits() == std::vector<uint32_t>{0, kInfinite}; }));
    EXPECT_EQ(log.Painted(), std::vector<std::string>{"0"});
    image->StopActivePainter();
    EXPECT_EQ(image->PainterCount(), 0);
    EXPECT_EQ(log.Painted(), std::vector<std::string>{"0"});
    image.reset();
    EXPECT_EQ(ThreadCount(), threads);
}

TEST(GifPainter, LoopCountsRestartAtTheFrameWithTheLoopBlock) {
    struct TCase {
        TGIFPaintOptions options;
        int count;
        std::vector<std::string> painted;
    };
    const std::vector<std::string> once = {"0", "1", "2"};
    for (const TCase& c :
         {TCase{kDefaultPaintOptions, 3, {"0", "1", "2", "1", "2", "1", "2"}},
          TCase{kUnthreaded, 3, {"0", "1", "2", "1", "2", "1", "2"}}, TCase{kUnthreaded, 0, once},
          TCase{TGIFPaintOptions(kDefaultPaintOptions & ~poLoop), 3, once}}) {
        SCOPED_TRACE(std::to_string(c.options) + " count " + std::to_string(c.count));
        TPlay play(Strip(3), c.options);
        AddLoopBlock(play.image->Frames()[1], c.count);
        PlayToTheEnd(*play.image);
        EXPECT_EQ(play.log.Painted(), c.painted);
    }
    // A count of 0 on a thread of its own loops until stopped.
    TPlay play(Strip(3));
    auto& [clock, log, image] = play;
    AddLoopBlock(image->Frames()[0], 0);
    image->AfterFrameHandler = [&](TGIFPainter* painter) {
        if (log.Painted().size() == 10) painter->Stop();
    };
    PlayToTheEnd(*image);
    EXPECT_EQ(log.Painted().size(), 10u);
    EXPECT_EQ(log.events.back(), "paint 0");  // stopped: no end handler
}

TEST(GifPainter, RestartAndAChosenNextFrame) {
    TPlay play(Strip(3));
    auto& [clock, log, image] = play;
    bool restarted = false;
    image->AfterFrameHandler = [&](TGIFPainter* painter) {
        if (painter->CurrentFrame() == 1 && !restarted) {
            restarted = true;
            painter->Restart();
        } else if (painter->CurrentFrame() == 0 && restarted) {
            painter->SetCurrentFrame(2);  // skips frame 1
        }
    };
    PlayToTheEnd(*image);
    EXPECT_EQ(log.Painted(), (std::vector<std::string>{"0", "1", "0", "2"}));
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "start"), 2);
}

TEST(GifPainter, StoppingOrDestroyingEndsALongDelayAtOnce) {
    const int threads = ThreadCount();
    using Clock = std::chrono::steady_clock;
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "stopped");
        // Real waits: each frame stays for ten minutes.
        auto image = Strip(2, 60000);
        auto surface = Drawn(*image);
        ASSERT_NE(image->ActivePainter(), nullptr);
        EXPECT_GT(ThreadCount(), threads);
        const auto before = Clock::now();
        if (destroy)
            image.reset();
        else
            image->StopActivePainter();
        // Far less than the delay, with room for a slow machine.
        EXPECT_LT(Clock::now() - before, std::chrono::seconds(60));
        EXPECT_EQ(ThreadCount(), threads);
        if (image) {
            EXPECT_EQ(image->PainterCount(), 0);
        }
    }
}

TEST(GifPainter, DestroyingAnImageWhosePainterIsDrawingLeavesNoThread) {
    const int threads = ThreadCount();
    for (int round = 0; round < 20; ++round) {
        // No delays at all and loops forever: the painter always has a call pending.
        auto image = Strip(3, 0);
        image->PaintOptions |= poLoopForever;
        image->AnimationSpeedPercent = 1000000;
        auto surface = Drawn(*image);
        for (int i = 0; i < round; ++i) RunPendingUiCalls();
    }
    EXPECT_EQ(ThreadCount(), threads);
}

TEST(GifPainter, AHandlerMayStopOrClearTheImageItPlays) {
    for (const bool clear : {false, true}) {
        SCOPED_TRACE(clear ? "cleared" : "stopped");
        TPlay play(Strip(3));
        auto& [clock, log, image] = play;
        image->AfterFrameHandler = [&](TGIFPainter* painter) {
            if (painter->CurrentFrame() != 1) return;
            if (clear)
                image->Clear();
            else
                image->StopActivePainter();
        };
        PlayToTheEnd(*image);
        EXPECT_EQ(log.Painted(), (std::vector<std::string>{"0", "1"}));
        EXPECT_EQ(image->ActivePainter(), nullptr);
        EXPECT_EQ(image->IsEmpty(), clear);
    }
}

TEST(GifPainter, AFailureBeforeTheFirstFrameIsTheDrawingsAndLaterOnesEndThePlay) {
    for (const TGIFPaintOptions options : {kDefaultPaintOptions, kUnthreaded}) {
        TPlay play(Strip(3), options);
        auto& image = play.image;
        image->FramePaintHandler = [](TGIFPainter*) {
            throw EInvalidOperation("no painting today");
        };
        auto surface = FilledBitmap(12, 4, kGrey);
        EXPECT_EQ(MessageOf([&] { surface->Surface().DrawGraphic(0, 0, image.get()); }),
                  "no painting today");
        ASSERT_TRUE(PumpUntil([&] { return image->PainterCount() == 0; }));
    }
    TPlay play(Strip(3));
    auto& [clock, log, image] = play;
    image->AfterFrameHandler = [](TGIFPainter* painter) {
        if (painter->CurrentFrame() == 1) throw EInvalidOperation("enough");
    };
    PlayToTheEnd(*image);
    EXPECT_EQ(log.Painted(), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(log.events.back(), "paint 1");
}

TEST(GifPainter, TheBackgroundComesFromTheOverrideOrTheGlobalMap) {
    auto image = Strip(2);
    std::vector<std::string> warnings;
    image->WarningHandler = [&](TObject*, int, const std::string& message) {
        warnings.push_back(message);
    };
    auto surface = FilledBitmap(12, 4, kGrey);
    auto colourOf = [&] {
        TGIFPainter* painter =
            image->CreatePainter(nullptr, surface->Surface(), kDefaultPaintOptions, {0, 0, 12, 4});
        const TColor colour = painter->BackgroundColor();
        image->StopAllPainters();
        return colour;
    };
    image->Header().BackgroundIndex = 2;
    EXPECT_EQ(colourOf(), kFourColors[2]);
    image->Header().BackgroundIndex = 4;  // beyond the map: entry 0
    EXPECT_EQ(colourOf(), kFourColors[0]);
    EXPECT_EQ(warnings, std::vector<std::string>{"Invalid color index"});
    image->BackgroundOverride = clWindow;
    EXPECT_EQ(colourOf(), static_cast<TColor>(gdi::GetSysColor(gdi::COLOR_WINDOW)));
    // No painter for an empty rectangle.
    TGIFPainter* slot = reinterpret_cast<TGIFPainter*>(1);
    EXPECT_EQ(image->CreatePainter(&slot, surface->Surface(), kDefaultPaintOptions, {5, 0, 5, 4}),
              nullptr);
    EXPECT_EQ(slot, nullptr);
}

}  // namespace
}  // namespace vardel::giftest
