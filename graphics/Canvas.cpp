#include "graphics/Canvas.h"

#include <algorithm>
#include <vector>

#include "graphics/Graphic.h"
#include "platform/runtime/Exceptions.h"

namespace vardel {

namespace {
// Canvases that hold a context now; their contexts are given back after each message.
struct ContextRegistry {
    std::mutex mutex;
    std::vector<TCanvas*> canvases;
};

ContextRegistry& Registry() {
    static ContextRegistry registry;
    return registry;
}

void Track(TCanvas* canvas, bool held) {
    ContextRegistry& r = Registry();
    std::lock_guard lock(r.mutex);
    auto at = std::find(r.canvases.begin(), r.canvases.end(), canvas);
    if (held && at == r.canvases.end()) r.canvases.push_back(canvas);
    if (!held && at != r.canvases.end()) r.canvases.erase(at);
}
}  // namespace

void FreeMemoryContexts() {
    std::vector<TCanvas*> held;
    {
        ContextRegistry& r = Registry();
        std::lock_guard lock(r.mutex);
        held = r.canvases;
    }
    for (TCanvas* canvas : held) {
        // A canvas that someone holds locked keeps its context.
        if (!canvas->TryLock()) continue;
        if (canvas->LockCount() == 1) canvas->FreeContext();
        canvas->Unlock();
    }
}

void FreeContextsWhere(const std::function<bool(TCanvas&)>& holds) {
    std::vector<TCanvas*> held;
    {
        ContextRegistry& r = Registry();
        std::lock_guard lock(r.mutex);
        held = r.canvases;
    }
    for (TCanvas* canvas : held)
        if (holds(*canvas)) canvas->FreeContext();
}

const gdi::HFONT& TFont::Handle() {
    if (!handle_) {
        gdi::LOGFONT f;
        f.lfHeight = height_;
        f.lfFaceName = name_;
        handle_ = gdi::CreateFontIndirect(f);
    }
    return handle_;
}

const gdi::HPEN& TPen::Handle() {
    if (!handle_) handle_ = gdi::CreatePen(gdi::PS_SOLID, width_, ResolveColor(color_));
    return handle_;
}

const gdi::HBRUSH& TBrush::Handle() {
    if (!handle_)
        handle_ = style_ == TBrushStyle::bsClear ? gdi::GetStockBrush(gdi::NULL_BRUSH)
                                                 : gdi::CreateSolidBrush(ResolveColor(color_));
    return handle_;
}

TCanvas::TCanvas() = default;

TCanvas::~TCanvas() {
    Track(this, false);
}

void TCanvas::SetHandle(gdi::HDC dc) {
    if (dc_ == dc) return;
    if (dc_) {
        if (originalPen_) gdi::SelectObject(dc_, originalPen_);
        if (originalBrush_) gdi::SelectObject(dc_, originalBrush_);
        if (originalFont_) gdi::SelectObject(dc_, originalFont_);
        originalPen_.reset();
        originalBrush_.reset();
        originalFont_.reset();
    }
    dc_ = std::move(dc);
    pixels_ = gdi::PixelWindow{};
    fontVersion_ = penVersion_ = brushVersion_ = ~0u;
    Track(this, dc_ != nullptr);
}

void TCanvas::Tell(const std::function<void(TCanvas*)>& hook) {
    hook(this);
}

void TCanvas::UpdateState(uint8_t flags) {
    if (!dc_) {
        AcquireContext();
        if (!dc_) throw EInvalidOperation(msg::kNoContext);
    }
    if ((flags & csFont) && fontVersion_ != font_.Version()) {
        gdi::HFONT old = gdi::SelectObject(dc_, font_.Handle());
        if (!originalFont_) originalFont_ = old;
        gdi::SetTextColor(dc_, ResolveColor(font_.Color()));
        fontVersion_ = font_.Version();
    }
    if ((flags & csPen) && penVersion_ != pen_.Version()) {
        gdi::HPEN old = gdi::SelectObject(dc_, pen_.Handle());
        if (!originalPen_) originalPen_ = old;
        penVersion_ = pen_.Version();
    }
    if ((flags & csBrush) && brushVersion_ != brush_.Version()) {
        gdi::HBRUSH old = gdi::SelectObject(dc_, brush_.Handle());
        if (!originalBrush_) originalBrush_ = old;
        gdi::SetBkColor(dc_, ResolveColor(brush_.Color()));
        gdi::SetBkMode(dc_, brush_.Style() == TBrushStyle::bsClear ? gdi::TRANSPARENT : gdi::OPAQUE);
        brushVersion_ = brush_.Version();
    }
}

void TCanvas::DrawGraphic(int x, int y, TGraphic* graphic) {
    if (!graphic || graphic->IsEmpty()) return;
    BeforeModify();
    RequireState(csHandle);
    // The two levels of a monochrome bitmap take the brush and font colours.
    gdi::SetBkColor(dc_, ResolveColor(brush_.Color()));
    gdi::SetTextColor(dc_, ResolveColor(font_.Color()));
    graphic->Render(*this, {x, y, x + graphic->Width(), y + graphic->Height()});
    AfterModify();
}

void TCanvas::DrawGraphicStretched(const gdi::RECT& rect, TGraphic* graphic) {
    if (!graphic) return;
    BeforeModify();
    RequireState(csHandle | csFont | csPen | csBrush);
    graphic->Render(*this, rect);
    AfterModify();
}

void TCanvas::CopyRect(const gdi::RECT& dest, TCanvas& source, const gdi::RECT& sourceRect) {
    BeforeModify();
    RequireState(csHandle | csFont | csBrush);
    source.RequireState(csHandle | csBrush);
    gdi::StretchBlt(dc_, dest.left, dest.top, dest.Width(), dest.Height(), source.dc_, sourceRect.left,
                    sourceRect.top, sourceRect.Width(), sourceRect.Height(), copyMode_);
    AfterModify();
}

void TCanvas::FillRect(const gdi::RECT& rect) {
    BeforeModify();
    RequireState(csHandle | csBrush);
    gdi::FillRect(dc_, rect, brush_.Handle());
    AfterModify();
}

void TCanvas::MoveTo(int x, int y) {
    RequireState(csHandle);
    gdi::MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    BeforeModify();
    RequireState(csHandle | csPen | csBrush);
    gdi::LineTo(dc_, x, y);
    AfterModify();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    BeforeModify();
    RequireState(csHandle | csPen | csBrush);
    gdi::Rectangle(dc_, left, top, right, bottom);
    AfterModify();
}

gdi::POINT TCanvas::PenPos() {
    RequireState(csHandle);
    gdi::POINT p;
    gdi::GetCurrentPositionEx(dc_, &p);
    return p;
}

gdi::RECT TCanvas::ClipRect() {
    RequireState(csHandle);
    gdi::RECT r;
    gdi::GetClipBox(dc_, &r);
    return r;
}

gdi::HDC TCanvas::Handle() {
    BeforeModify();
    RequireState(csHandle | csFont | csPen | csBrush);
    return dc_;
}

gdi::HDC TCanvas::DrawingContext() {
    RequireState(csHandle | csFont | csPen | csBrush);
    return dc_;
}

void TCanvas::Lock() {
    mutex_.lock();
    ++lockCount_;
}

void TCanvas::Unlock() {
    --lockCount_;
    mutex_.unlock();
}

bool TCanvas::TryLock() {
    if (!mutex_.try_lock()) return false;
    ++lockCount_;
    return true;
}

}  // namespace vardel
