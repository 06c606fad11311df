// The image's side of its painters: making them, stopping them and taking them out
// of the list when their play has ended.
#include <algorithm>

#include "formats/gif/GifImage.h"
#include "formats/gif/GifPainter.h"
#include "platform/ui/UiThread.h"

namespace vardel {

TGIFPainter* TGIFImage::CreatePainter(TGIFPainter** ownerSlot, TCanvas& surface,
                                      TGIFPaintOptions options, const gdi::RECT& rect) {
    ReapPainters();
    // Settles which thread is the user-interface thread before any painter asks.
    IsUiThread();
    if (frames_.Empty() || rect.left >= rect.right || rect.top >= rect.bottom) {
        if (ownerSlot) *ownerSlot = nullptr;
        return nullptr;
    }
    if (frames_.Count() == 1) options &= static_cast<TGIFPaintOptions>(~(poThreaded | poAnimate));
    TPainterLock lock(painterMutex_);
    auto painter = std::make_shared<TGIFPainter>(*this, ownerSlot, surface, options, rect);
    painters_.push_back(painter);
    if (painter->Threaded()) return painter.get();
    // Without a thread the play runs here and now.
    painter->Play();
    painter->Cleanup();
    if (std::exception_ptr failure = painter->Failure()) std::rethrow_exception(failure);
    return nullptr;
}

int TGIFImage::PainterCount() const {
    TPainterLock lock(painterMutex_);
    return static_cast<int>(painters_.size());
}

void TGIFImage::StopActivePainter() {
    const bool onUiThread = IsUiThread();
    for (;;) {
        {
            TPainterLock lock(painterMutex_);
            TGIFPainter* painter = activePainter_;
            if (!painter) break;
            painter->Stop();
            if (!painter->Threaded()) break;
            if (painter->inStep_) {
                // Called from one of the painter's own steps (a handler), which must
                // return before the painter can end: it ends afterwards, and keeps
                // the composite it may be drawing on until then.
                activePainter_ = nullptr;
                painter->retiredComposite_ = std::move(composite_);
                break;
            }
        }
        // The painter's last calls (a drawing step it is in, its cleanup) run on the
        // user-interface thread; its cleanup clears the slot.
        if (!(onUiThread && RunPendingUiCalls())) YieldTimeSlice();
    }
    {
        std::lock_guard lock(renderMutex_);
        compositePalette_.reset();
    }
    composite_.reset();
    ReapPainters();
}

void TGIFImage::StopAllPainters() {
    const bool onUiThread = IsUiThread();
    for (;;) {
        int threaded = 0;
        {
            TPainterLock lock(painterMutex_);
            for (auto it = painters_.rbegin(); it != painters_.rend(); ++it) {
                TGIFPainter& painter = **it;
                painter.Stop();
                // One whose step called this ends when the step has returned.
                if (painter.Threaded() && !painter.inStep_) ++threaded;
                if (painter.inStep_ && composite_ &&
                    &painter.TargetSurface() == &composite_->Surface())
                    painter.retiredComposite_ = std::move(composite_);
            }
        }
        if (threaded == 0) break;
        if (!(onUiThread && RunPendingUiCalls())) YieldTimeSlice();
    }
    {
        std::lock_guard lock(renderMutex_);
        compositePalette_.reset();
    }
    composite_.reset();
    ReapPainters();
}

void TGIFImage::PainterEnded(TGIFPainter& painter) {
    TPainterLock lock(painterMutex_);
    if (painter.ownerSlot_ && *painter.ownerSlot_ == &painter) *painter.ownerSlot_ = nullptr;
    const auto it = std::find_if(painters_.begin(), painters_.end(),
                                 [&](const auto& listed) { return listed.get() == &painter; });
    if (it == painters_.end()) return;
    // A thread cannot be joined from inside itself: ended painters wait in a list of
    // their own until the image next looks after its painters.
    if (painter.Threaded()) endedPainters_.push_back(*it);
    painters_.erase(it);
}

void TGIFImage::ReapPainters() {
    std::vector<std::shared_ptr<TGIFPainter>> ended;
    {
        TPainterLock lock(painterMutex_);
        ended.swap(endedPainters_);
    }
    // Each destructor waits for its thread, which has nothing left to do.
}

}  // namespace vardel
