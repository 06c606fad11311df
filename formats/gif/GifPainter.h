// The painter that plays a multi-frame GIF image onto a target surface: it waits out
// each frame's delay, applies the disposal methods, honours the loop count and stops
// on request. With poThreaded it times the frames on a thread of its own and hands
// every drawing step to the user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "formats/gif/GifImage.h"
#include "platform/runtime/Threads.h"

namespace vardel {

// Gives the processor to other threads for a moment (waiting loops call this when
// there was nothing to do).
void YieldTimeSlice();

// The wait before a frame, in milliseconds: `delaySteps` steps of 12 ms at
// `speedPercent` (at least 1) of the stored speed, less half of the time by which
// the previous step overran its wait (`elapsed` since the previous step began, of
// which `previousWait` was planned).
int64_t PainterWait(int delaySteps, int64_t elapsed, int64_t previousWait, int32_t speedPercent);

class TGIFPainter : public TObject, public std::enable_shared_from_this<TGIFPainter> {
  public:
    static constexpr int kStepMilliseconds = 12;
    static constexpr int kDefaultDelaySteps = 10;
    static constexpr int kShortestDelaySteps = 3;
    // A painter without its own thread keeps the caller waiting at most this long
    // per frame.
    static constexpr int kLongestDirectDelaySteps = 1000;

    // Made by TGIFImage::CreatePainter.
    TGIFPainter(TGIFImage& image, TGIFPainter** ownerSlot, TCanvas& surface,
                TGIFPaintOptions options, const gdi::RECT& rect);
    // Stops the play and waits for the thread (running the user-interface calls it
    // makes meanwhile, when on that thread).
    ~TGIFPainter() override;
    TGIFPainter(const TGIFPainter&) = delete;
    TGIFPainter& operator=(const TGIFPainter&) = delete;
    std::string_view ClassName() const override { return "TGIFPainter"; }

    // Lets a threaded painter's play begin.
    void Start();
    // Asks the play to end; a wait between frames ends at once.
    void Stop();
    // Asks the play to begin again at frame 0 with the loop state reset.
    void Restart();

    // None once the play has ended and been cleaned up.
    TGIFImage* Image() const { return image_; }
    TCanvas& TargetSurface() const { return *target_; }
    const gdi::RECT& TargetRect() const { return rect_; }
    TGIFPaintOptions PaintOptions() const { return options_; }
    bool Threaded() const { return options_ & poThreaded; }
    TColor BackgroundColor() const { return background_; }

    // The frame being shown; -1 when idle. A handler may set it: AfterFrameHandler
    // so chooses the next frame.
    int CurrentFrame() const { return currentFrame_; }
    void SetCurrentFrame(int index) { currentFrame_ = index; }
    // Disposal methods of the frame being drawn and of the one before (4 to 7,
    // which no standard defines, count as 1).
    int CurrentDisposal() const { return currentDisposal_; }
    int LastDisposal() const { return lastDisposal_; }
    bool FirstFramePainted() const { return firstFramePainted_; }
    bool Terminated() const { return terminated_; }
    // The play is over (its cleanup may still be pending).
    bool PlayEnded() const { return playEnded_; }
    // What ended the play, if it failed.
    std::exception_ptr Failure() const;

    // Copies of the image's handlers, called with this painter.
    TGIFPainterEvent StartPlayHandler, FramePaintHandler, AfterFrameHandler, LoopRestartHandler,
        EndPlayHandler;

  private:
    friend class TGIFImage;

    void ThreadBody();
    // The play, on the painter's thread or, without poThreaded, the creator's.
    void Play();
    void PlayFrames();
    // Waits out `wait` ms before a frame; updates the timing state.
    void WaitThreaded(int64_t wait, int64_t& previousWait, uint32_t& lastTime);
    void WaitDirect(int64_t wait);
    // Runs a step on the user-interface thread (threaded) or here; skipped once the
    // painter is told to stop.
    void Step(const std::function<void()>& step);
    void CallHandler(const TGIFPainterEvent& handler);
    void DrawFrame(TGIFSubImage& frame);
    void DrawPlain(TGIFSubImage& frame);
    void DrawBuffered(TGIFSubImage& frame);
    void RestoreFrameArea(TGIFSubImage& frame);
    // Frees what the play used and leaves the image's painter list (on the
    // user-interface thread).
    void Cleanup();
    void ForgetImage() { image_ = nullptr; }
    uint32_t Now() const;
    std::unique_ptr<TBitmap> SceneBitmap();

    TGIFImage* image_;
    TGIFPainter** ownerSlot_;
    TCanvas* target_;
    const gdi::RECT rect_;
    const TGIFPaintOptions options_;
    const int32_t speedPercent_;
    const TGIFPainterTiming timing_;
    TColor background_ = clBlack;
    gdi::HDC watchedContext_;

    // Scenes of the target rectangle's size: the picture so far (SceneBuffer),
    // where restore-to-previous frames are drawn (PriorScene), and what the target
    // showed before the play (UnderlaySnapshot).
    std::unique_ptr<TBitmap> scene_, prior_, underlay_;

    std::atomic<int> currentFrame_{-1};
    int currentDisposal_ = 1;
    int lastDisposal_ = 1;
    std::atomic<bool> firstFramePainted_{false};
    std::atomic<bool> restart_{false};
    std::atomic<bool> terminated_{false};
    std::atomic<bool> playEnded_{false};
    // Set while one of its steps runs on the user-interface thread: whoever stops
    // the painter from inside that step cannot wait for it.
    std::atomic<bool> inStep_{false};
    // A composite dropped during one of the painter's steps lives until its cleanup.
    std::unique_ptr<TBitmap> retiredComposite_;
    mutable std::mutex failureMutex_;
    std::exception_ptr failure_;

    TEvent resume_{true, false};
    // Auto-reset: a stop or restart ends the wait between frames.
    std::unique_ptr<TEvent> wake_;
    std::unique_ptr<TThread> thread_;
};

}  // namespace vardel
