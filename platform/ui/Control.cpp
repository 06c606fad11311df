#include "platform/ui/Control.h"

#include <algorithm>
#include <vector>

#include "platform/ui/NoticeEpoch.h"

namespace vardel {

TControl::TControl(std::string name) : name_(std::move(name)) {}

TControl::~TControl() {
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    NextNoticeEpoch();
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
    if (parent_) parent_->ContentsChanged();
}

void TControl::SetParent(TWindow* parent) {
    if (parent == parent_) return;
    NextNoticeEpoch();
    if (parent_) parent_->RemoveControl(this);
    parent_ = parent;
    if (parent_) parent_->InsertControl(this);
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    NextNoticeEpoch();
    visible_ = visible;
    if (parent_) {
        parent_->InvalidateRect(BoundsRect());
        parent_->ContentsChanged();
    }
}

void TControl::Invalidate() {
    if (parent_ && visible_) parent_->InvalidateRect(BoundsRect());
}

void TControl::RepaintNow() {
    if (!parent_) return;
    Invalidate();
    parent_->PaintNow();
}

gdi::HDC TControl::ParentContext() const {
    if (!parent_) return nullptr;
    gdi::HDC dc = parent_->ClientContext();
    if (!dc) return nullptr;
    gdi::SetViewportOrgEx(dc, left_, top_, nullptr);
    gdi::IntersectClipRect(dc, 0, 0, width_, height_);
    // While the window paints part of itself, nothing outside that part changes.
    if (const auto& area = parent_->PaintArea())
        gdi::IntersectClipRect(dc, area->left - left_, area->top - top_, area->right - left_, area->bottom - top_);
    return dc;
}

TWindow::TWindow(std::string name) : name_(std::move(name)) {}

TWindow::~TWindow() {
    for (TControl* c : std::vector<TControl*>(controls_)) c->SetParent(nullptr);
}

void TWindow::SetCaption(std::string caption) { caption_ = std::move(caption); }

void TWindow::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    SetClientSize(std::max(0, width - frameWidth_), std::max(0, height - frameHeight_));
}

void TWindow::SetFrameExtent(int extraWidth, int extraHeight) {
    frameWidth_ = extraWidth;
    frameHeight_ = extraHeight;
    width_ = clientWidth_ + frameWidth_;
    height_ = clientHeight_ + frameHeight_;
}

void TWindow::SetClientSize(int width, int height) {
    if (width == clientWidth_ && height == clientHeight_) return;
    clientWidth_ = width;
    clientHeight_ = height;
    width_ = width + frameWidth_;
    height_ = height + frameHeight_;
    // The backing store is made when something first paints or draws on it: a window
    // that is never shown (or a large one that only grows) holds no pixels meanwhile.
    if (surface_) ResizeSurface();
    InvalidateRect({0, 0, width, height});
    if (OnResize) OnResize();
}

void TWindow::SetAutoSize(bool on) {
    autoSize_ = on;
    ContentsChanged();
}

void TWindow::ContentsChanged() {
    if (!autoSize_) return;
    int right = 0, bottom = 0;
    for (const TControl* c : controls_) {
        if (!c->Visible()) continue;
        right = std::max(right, c->Left() + c->Width());
        bottom = std::max(bottom, c->Top() + c->Height());
    }
    SetClientSize(right, bottom);
}

void TWindow::InsertControl(TControl* control) {
    if (std::find(controls_.begin(), controls_.end(), control) == controls_.end()) controls_.push_back(control);
    InvalidateRect(control->BoundsRect());
    ContentsChanged();
}

void TWindow::RemoveControl(TControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    InvalidateRect(control->BoundsRect());
    ContentsChanged();
}

void TWindow::ResizeSurface() {
    const int w = std::max(clientWidth_, 1), h = std::max(clientHeight_, 1);
    gdi::HBITMAP fresh = gdi::CreateCompatibleBitmap(nullptr, w, h);
    if (surface_ && fresh) {
        // Keep what was shown; the next paint renders the new parts.
        gdi::HDC from = gdi::CreateCompatibleDC(nullptr), to = gdi::CreateCompatibleDC(nullptr);
        gdi::SelectObject(from, surface_);
        gdi::SelectObject(to, fresh);
        gdi::BitBlt(to, 0, 0, w, h, from, 0, 0, gdi::SRCCOPY);
        gdi::DeleteDC(from);
        gdi::DeleteDC(to);
    }
    surface_ = fresh;
}

const gdi::HBITMAP& TWindow::ClientSurface() {
    if (!surface_) ResizeSurface();
    return surface_;
}

gdi::HDC TWindow::ClientContext() { return gdi::GetWindowDC(ClientSurface()); }

void TWindow::InvalidateRect(const gdi::RECT& rect) {
    // Already waiting for the next paint: nothing to add.
    if (paintPending_ &&
        (dirtyAll_ || (dirty_.left <= rect.left && dirty_.top <= rect.top &&
                       rect.right <= dirty_.right && rect.bottom <= dirty_.bottom)))
        return;
    if (!dirtyAll_ && rect.right > rect.left && rect.bottom > rect.top) {
        if (dirty_.right <= dirty_.left || dirty_.bottom <= dirty_.top) {
            dirty_ = rect;
        } else {
            dirty_ = {std::min(dirty_.left, rect.left), std::min(dirty_.top, rect.top),
                      std::max(dirty_.right, rect.right), std::max(dirty_.bottom, rect.bottom)};
        }
    }
    const bool wasPending = paintPending_;
    paintPending_ = true;
    if (!wasPending && OnInvalidate) OnInvalidate();
}

gdi::RECT TWindow::DirtyRect() const {
    const gdi::RECT client{0, 0, clientWidth_, clientHeight_};
    if (dirtyAll_) return client;
    return {std::max(dirty_.left, 0), std::max(dirty_.top, 0), std::min(dirty_.right, clientWidth_),
            std::min(dirty_.bottom, clientHeight_)};
}

void TWindow::PaintNow() {
    // What was waiting is painted now: the next change must ask again.
    NextNoticeEpoch();
    // A repaint that nothing asked for renders the whole client area.
    const gdi::RECT area = paintPending_ ? DirtyRect() : gdi::RECT{0, 0, clientWidth_, clientHeight_};
    paintPending_ = false;
    dirtyAll_ = false;
    dirty_ = {};
    if (area.right <= area.left || area.bottom <= area.top) return;
    paintArea_ = area;
    struct Done {
        std::optional<gdi::RECT>& area;
        ~Done() { area.reset(); }
    } done{paintArea_};
    gdi::HDC dc = ClientContext();
    const gdi::HBRUSH background = gdi::CreateSolidBrush(color_);
    // The background first, then every visible control over it.
    gdi::FillRect(dc, area, background);
    gdi::ReleaseDC(dc);
    for (TControl* c : std::vector<TControl*>(controls_)) {
        const gdi::RECT b = c->BoundsRect();
        const bool touches = b.left < area.right && area.left < b.right && b.top < area.bottom && area.top < b.bottom;
        if (c->Visible() && touches) c->Paint();
    }
    SurfaceChanged(area);
}

namespace {
std::vector<std::function<void()>>& Hooks() {
    static std::vector<std::function<void()>> hooks;
    return hooks;
}
}  // namespace

void AddAfterMessageHook(std::function<void()> hook) { Hooks().push_back(std::move(hook)); }

void RunAfterMessageHooks() {
    for (const auto& hook : Hooks()) hook();
}

}  // namespace vardel
