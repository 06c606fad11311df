#include "formats/gif/GifPainter.h"

#include <algorithm>
#include <bitset>
#include <chrono>
#include <thread>

#include "formats/gif/GifException.h"
#include "formats/gif/GifGeometry.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/MemoryBudget.h"
#include "platform/ui/UiThread.h"

namespace vardel {

namespace {

// Methods 4 to 7 are reserved by GIF89a (section 23); they are drawn as "leave in
// place", which is also what a frame without any method gets.
int DrawnDisposal(int method) {
    return method <= 3 ? method : 1;
}

}  // namespace

void YieldTimeSlice() {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
}

int64_t PainterWait(int delaySteps, int64_t elapsed, int64_t previousWait, int32_t speedPercent) {
    const int64_t overshoot = (elapsed - previousWait) / 2;  // towards zero
    return RoundHalfAway((int64_t{delaySteps} * TGIFPainter::kStepMilliseconds - overshoot) * 100,
                         speedPercent);
}

// --- creation ----------------------------------------------------------------------

TGIFPainter::TGIFPainter(TGIFImage& image, TGIFPainter** ownerSlot, TCanvas& surface,
                         TGIFPaintOptions options, const gdi::RECT& rect)
    : image_(&image),
      ownerSlot_(ownerSlot),
      target_(&surface),
      rect_(rect),
      options_(options),
      speedPercent_(image.AnimationSpeedPercent),
      timing_(image.PainterTiming) {
    StartPlayHandler = image.StartPlayHandler;
    FramePaintHandler = image.FramePaintHandler;
    AfterFrameHandler = image.AfterFrameHandler;
    LoopRestartHandler = image.LoopRestartHandler;
    EndPlayHandler = image.EndPlayHandler;
    // A threaded painter always has its event: even a paused one (speed 0 or below)
    // must wake at once when it is stopped.
    if (Threaded()) wake_ = std::make_unique<TEvent>(false, false);

    const TGIFColorMap& global = image.Header().GlobalColorMap();
    if (image.BackgroundOverride != clNone) {
        background_ = static_cast<TColor>(ResolveColor(image.BackgroundOverride));
    } else if (global.Count() == 0) {
        background_ = static_cast<TColor>(gdi::GetSysColor(gdi::COLOR_WINDOW));
    } else {
        int index = image.Header().BackgroundIndex;
        if (index >= global.Count()) {
            image.ReportWarning(this, kGIFWarningSeverity, gifmsg::kInvalidColorIndex);
            index = 0;
        }
        background_ = global.Color(index);
    }

    std::bitset<4> disposals;
    if (options & poClearOnLoop) disposals.set(2);
    for (const auto& frame : image.Frames().Items())
        if (const TGIFGraphicControlExtension* control = frame->GraphicControl())
            disposals.set(static_cast<size_t>(DrawnDisposal(control->Disposal())));
    const gdi::RECT own{0, 0, rect.Width(), rect.Height()};
    if (disposals[2] && (options & poTransparent)) {
        underlay_ = SceneBitmap();
        underlay_->Surface().CopyRect(own, surface, rect);
    }
    if (disposals[2] || disposals[3]) {
        scene_ = SceneBitmap();
        scene_->Surface().CopyRect(own, surface, rect);
        scene_->Surface().Brush().SetColor(background_);
        prior_ = SceneBitmap();
        prior_->Surface().Brush().SetColor(background_);
    }
    if (options & poCheckCanvas) watchedContext_ = surface.DrawingContext();

    // Last, so that nothing above can fail with the thread running or the slot
    // naming a painter that was never made.
    if (Threaded())
        thread_ =
            std::make_unique<TThread>([this](TThread&) { ThreadBody(); }, image.PainterPriority);
    if (ownerSlot_) *ownerSlot_ = this;
}

std::unique_ptr<TBitmap> TGIFPainter::SceneBitmap() {
    const uint64_t width = static_cast<uint64_t>(rect_.Width());
    const uint64_t height = static_cast<uint64_t>(rect_.Height());
    CheckPictureAllocation(width * height * 4);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // As for the composite: fuzzing spends its time better on smaller scenes.
    if (width * height > (uint64_t{1} << 20)) throw EOutOfMemory(msg::kOutOfMemory);
#endif
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(rect_.Width(), rect_.Height());
    return bitmap;
}

TGIFPainter::~TGIFPainter() {
    Stop();
    if (thread_) {
        // The thread may still hand a last call to this thread.
        const bool onUiThread = IsUiThread();
        while (!thread_->Finished())
            if (!(onUiThread && RunPendingUiCalls())) YieldTimeSlice();
        thread_.reset();
    }
}

// --- control -----------------------------------------------------------------------

void TGIFPainter::Start() {
    resume_.Set();
}

void TGIFPainter::Stop() {
    terminated_ = true;
    if (!Threaded()) return;
    if (wake_) wake_->Set();
    if (thread_) {
        thread_->Terminate();
        thread_->SetPriority(TThreadPriority::tpNormal);
    }
    resume_.Set();
}

void TGIFPainter::Restart() {
    restart_ = true;
    if (wake_) wake_->Set();
}

std::exception_ptr TGIFPainter::Failure() const {
    std::lock_guard lock(failureMutex_);
    return failure_;
}

uint32_t TGIFPainter::Now() const {
    return timing_.Now ? timing_.Now() : TimeGetTime();
}

void TGIFPainter::Step(const std::function<void()>& step) {
    const auto guarded = [&] {
        if (terminated_) return;
        inStep_ = true;
        struct Reset {
            std::atomic<bool>& flag;
            ~Reset() { flag = false; }
        } reset{inStep_};
        step();
    };
    if (Threaded())
        CallOnUiThread(guarded);
    else
        guarded();
}

void TGIFPainter::CallHandler(const TGIFPainterEvent& handler) {
    if (handler) Step([&] { handler(this); });
}

// --- the play ------------------------------------------------------------------------

void TGIFPainter::ThreadBody() {
    resume_.WaitFor(kInfinite);
    Play();
    // The image and the bitmaps belong to the user-interface thread.
    CallOnUiThread([this] { Cleanup(); });
}

void TGIFPainter::Play() {
    try {
        PlayFrames();
    } catch (...) {
        {
            std::lock_guard lock(failureMutex_);
            failure_ = std::current_exception();
        }
        terminated_ = true;
    }
    currentFrame_ = -1;
    try {
        CallHandler(EndPlayHandler);
    } catch (...) {
        std::lock_guard lock(failureMutex_);
        if (!failure_) failure_ = std::current_exception();
    }
    playEnded_ = true;
}

void TGIFPainter::PlayFrames() {
    const TGIFImageList& frames = image_->Frames();
    restart_ = true;
    while (restart_ && !terminated_) {
        currentFrame_ = 0;
        CallHandler(StartPlayHandler);
        firstFramePainted_ = false;
        restart_ = false;

        int loopsLeft = 1;
        int loopStart = currentFrame_;
        bool loopSeen = false;
        int delay = Threaded() ? 0 : 1;
        lastDisposal_ = 1;
        uint32_t lastTime = Now();
        int64_t previousWait = 0;

        while (loopsLeft != 0 || (options_ & poLoopForever)) {
            if (terminated_ || restart_) break;
            currentFrame_ = loopStart;
            if (firstFramePainted_) CallHandler(LoopRestartHandler);
            // The frames of one pass; without poAnimate only the first is shown.
            do {
                const int index = currentFrame_;
                if (index < 0 || index >= frames.Count() || terminated_ || restart_) break;
                TGIFSubImage& frame = frames[index];
                if (frame.Pixels.empty()) break;

                int64_t wait = 0;
                if (delay < 1) {
                    YieldTimeSlice();
                } else {
                    image_->GetFrameBitmap(frame);
                    const uint32_t now = Now();
                    if (speedPercent_ < 1) {
                        wait =
                            Threaded() ? -1 : int64_t{kLongestDirectDelaySteps} * kStepMilliseconds;
                    } else {
                        wait = PainterWait(delay, static_cast<uint32_t>(now - lastTime),
                                           previousWait, speedPercent_);
                        previousWait = wait;
                    }
                    lastTime = now;
                }
                if (Threaded()) {
                    if (wait > 0 || speedPercent_ < 1) WaitThreaded(wait, previousWait, lastTime);
                } else {
                    WaitDirect(wait);
                }
                if (terminated_) return;
                CallHandler(FramePaintHandler);
                if (terminated_) return;

                currentDisposal_ = 1;
                for (const auto& extension : frame.Extensions().Items()) {
                    if (auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get())) {
                        if (loopSeen) continue;
                        loopSeen = true;
                        loopsLeft = loop->LoopCount;
                        if (Threaded() && (loopsLeft == 0 || (options_ & poLoopForever)))
                            loopsLeft = -1;  // endless
                        loopStart = currentFrame_;
                    } else if (auto* control = dynamic_cast<const TGIFGraphicControlExtension*>(
                                   extension.get())) {
                        currentDisposal_ = DrawnDisposal(control->Disposal());
                    }
                }
                DrawFrame(frame);
                lastDisposal_ = currentDisposal_;
                if (terminated_) return;

                delay = kDefaultDelaySteps;
                if (const TGIFGraphicControlExtension* control = frame.GraphicControl();
                    control && control->Delay != 0) {
                    delay = std::max<int>(control->Delay, kShortestDelaySteps);
                    if (!Threaded()) delay = std::min(delay, kLongestDirectDelaySteps);
                }
                const int shown = currentFrame_;
                CallHandler(AfterFrameHandler);
                if (terminated_) return;
                if (currentFrame_ == shown) currentFrame_ = shown + 1;
            } while (options_ & poAnimate);
            if (loopsLeft > 0) --loopsLeft;
            if (!((options_ & poAnimate) && (options_ & poLoop))) break;
        }
        if (terminated_) break;
    }
}

void TGIFPainter::WaitThreaded(int64_t wait, int64_t& previousWait, uint32_t& lastTime) {
    const uint32_t milliseconds =
        wait < 0 ? kInfinite : static_cast<uint32_t>(std::min<int64_t>(wait, kInfinite - 1));
    const TWaitResult result =
        timing_.Wait ? timing_.Wait(*wake_, milliseconds) : wake_->WaitFor(milliseconds);
    if (result == TWaitResult::Signaled) {
        previousWait = 0;
        lastTime = Now();
    }
}

void TGIFPainter::WaitDirect(int64_t wait) {
    wait = std::max<int64_t>(wait, 1);
    const bool onUiThread = IsUiThread();
    while (wait > 0 && !terminated_ && !restart_) {
        const uint32_t before = Now();
        const auto slice = static_cast<uint32_t>(std::min<int64_t>(wait, 100));
        if (timing_.Sleep)
            timing_.Sleep(slice);
        else
            vardel::Sleep(slice);
        // A clock that did not move still counts for a millisecond, so that the
        // wait ends whatever the clock does.
        wait -= std::max<int64_t>(static_cast<uint32_t>(Now() - before), 1);
        // The caller's thread is held up meanwhile: the calls that other threads
        // hand to it still run.
        if (onUiThread) RunPendingUiCalls();
    }
}

// --- drawing -------------------------------------------------------------------------

void TGIFPainter::DrawFrame(TGIFSubImage& frame) {
    Step([&] {
        if (scene_)
            DrawBuffered(frame);
        else
            DrawPlain(frame);
    });
}

void TGIFPainter::DrawPlain(TGIFSubImage& frame) {
    image_->DrawFrame(frame, *target_, rect_, options_ & poTransparent, options_ & poTile);
    firstFramePainted_ = true;
}

void TGIFPainter::DrawBuffered(TGIFSubImage& frame) {
    if ((options_ & poCheckCanvas) && !gdi::IsDC(watchedContext_)) {
        Stop();
        return;
    }
    const bool clearFirst = (options_ & poClearOnLoop) && currentFrame_ == 0;
    const gdi::RECT own{0, 0, rect_.Width(), rect_.Height()};
    TCanvas& scene = scene_->Surface();
    TCanvas* chosen = &scene;
    gdi::RECT chosenRect = own;
    bool copyToTarget = true, sceneToPrior = false;
    if (currentDisposal_ == 3) {
        if (lastDisposal_ <= 1) {
            // The scene stays as it was, so the next frame's copy removes this one.
            chosen = target_;
            chosenRect = rect_;
            copyToTarget = false;
        } else {
            // The target still shows the previous frame, which the scene no longer has.
            chosen = &prior_->Surface();
            sceneToPrior = true;
        }
    }

    gdi::HPALETTE palette = image_->FramePalette(frame);
    const gdi::HDC dc = chosen->Handle();
    const gdi::HPALETTE oldPalette =
        gdi::SelectPalette(dc, palette ? palette : gdi::GetSystemPalette16(), false);
    gdi::RealizePalette(dc);
    if (clearFirst) RestoreFrameArea(frame);
    if (sceneToPrior) chosen->CopyRect(own, scene, own);
    image_->DrawFrame(frame, *chosen, chosenRect, options_ & poTransparent, options_ & poTile);
    if (copyToTarget) {
        const uint32_t mode = target_->CopyMode();
        target_->SetCopyMode(gdi::SRCCOPY);
        target_->CopyRect(rect_, *chosen, chosenRect);
        target_->SetCopyMode(mode);
    }
    if (oldPalette) gdi::SelectPalette(chosen->DrawingContext(), oldPalette, false);
    if (currentDisposal_ == 2) RestoreFrameArea(frame);
    firstFramePainted_ = true;
}

void TGIFPainter::RestoreFrameArea(TGIFSubImage& frame) {
    TCanvas& scene = scene_->Surface();
    const gdi::RECT own{0, 0, rect_.Width(), rect_.Height()};
    const bool tile = options_ & poTile;
    const int width = frame.Width, height = frame.Height;
    if (options_ & poTransparent) {
        // Back to what the target showed before the play.
        TCanvas& underlay = underlay_->Surface();
        if (tile) {
            ForEachTile(own, frame.Left, frame.Top, width, height, own, [&](int x, int y) {
                const gdi::RECT tileRect{x, y, x + width, y + height};
                scene.CopyRect(tileRect, underlay, tileRect);
            });
        } else {
            const gdi::RECT area = image_->ScaledFrameRect(frame, own);
            scene.CopyRect(area, underlay, area);
        }
        return;
    }
    const TGIFHeader& header = image_->Header();
    if (tile && header.ScreenWidth != width && header.ScreenHeight != height) {
        ForEachTile(own, frame.Left, frame.Top, width, height, own, [&](int x, int y) {
            scene.FillRect({x, y, x + width, y + height});
        });
    } else {
        scene.FillRect(image_->ScaledFrameRect(frame, own));
    }
}

void TGIFPainter::Cleanup() {
    if (image_) image_->PainterEnded(*this);
    image_ = nullptr;
    underlay_.reset();
    scene_.reset();
    prior_.reset();
    retiredComposite_.reset();
}

}  // namespace vardel
