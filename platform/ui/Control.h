// The plain base of the window toolkit: controls with bounds and a parent, and the
// windows that hold them. A window keeps its client area as a surface of its own
// (its backing store); painting renders the controls into it and the toolkit peer
// (Qt) then shows it. Nothing here needs a display.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/runtime/Object.h"

namespace vardel {

class TWindow;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Mouse buttons and modifier keys held during a mouse event.
enum TShiftFlag : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = uint8_t;

class TControl : public TPersistent {
public:
    explicit TControl(std::string name);
    ~TControl() override;
    std::string_view ClassName() const override { return "TControl"; }

    const std::string& Name() const { return name_; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    gdi::RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    gdi::RECT ClientRect() const { return {0, 0, width_, height_}; }
    virtual void SetBounds(int left, int top, int width, int height);

    TWindow* Parent() const { return parent_; }
    void SetParent(TWindow* parent);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align) { align_ = align; }
    // Opaque controls cover their whole area, so nothing behind them is painted.
    bool Opaque() const { return opaque_; }
    void SetOpaque(bool opaque) { opaque_ = opaque; }

    // Asks the parent window to repaint this control's area later.
    virtual void Invalidate();
    // Repaints at once: the parent renders this control into its client surface.
    void RepaintNow();
    // Draws the control into its parent's client surface (origin at the control).
    virtual void Paint() {}
    // The parent's client-area context with the origin at the control's top-left corner
    // and clipping to its bounds; none without a parent.
    gdi::HDC ParentContext() const;

    std::function<void(TControl* sender, TShiftState shift, int x, int y)> OnMouseMove;
    std::function<void(TControl* sender, int x, int y)> OnContextPopup;

private:
    std::string name_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TWindow* parent_ = nullptr;
    bool visible_ = true;
    bool opaque_ = false;
    TAlign align_ = TAlign::alNone;
};

// A top-level window's plain part: bounds, caption, colour, child controls and the
// client surface they are painted into.
class TWindow : public TPersistent {
public:
    explicit TWindow(std::string name);
    ~TWindow() override;
    std::string_view ClassName() const override { return "TWindow"; }

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    virtual void SetCaption(std::string caption);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    virtual void SetBounds(int left, int top, int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    virtual void SetClientSize(int width, int height);
    // Outer size minus client size: title bar, borders and menu bar.
    void SetFrameExtent(int extraWidth, int extraHeight);
    // Background colour of the client area (a literal 0x00BBGGRR colour).
    gdi::COLORREF Color() const { return color_; }
    void SetColor(gdi::COLORREF color) { color_ = color; }

    // Windows that size themselves to their contents keep the client area as large as
    // the bounding box of their visible controls.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    void ContentsChanged();

    const std::vector<TControl*>& Controls() const { return controls_; }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    // The backing store of the client area, 32 bits (or the display's depth).
    const gdi::HBITMAP& ClientSurface();
    gdi::HDC ClientContext();
    // Marks an area (client coordinates) for the next paint.
    void InvalidateRect(const gdi::RECT& rect);
    // The area that the next paint renders (client coordinates).
    gdi::RECT DirtyRect() const;
    // While painting: the area being painted, which limits the controls' contexts.
    const std::optional<gdi::RECT>& PaintArea() const { return paintArea_; }
    bool PaintPending() const { return paintPending_; }
    // Renders the background and every visible control into the client surface.
    void PaintNow();

    // Told when the window needs painting or changed size, so that the toolkit peer
    // can schedule and show it.
    std::function<void()> OnInvalidate;
    std::function<void()> OnResize;
    // Told when the client surface holds new pixels to show: after every paint, and
    // when a window canvas drew on it directly (SurfaceChanged), which must reach the
    // screen without the controls being painted over it.
    void SurfaceChanged(const gdi::RECT& area) {
        if (OnSurfaceChanged) OnSurfaceChanged(area);
    }
    void SurfaceChanged() { SurfaceChanged({0, 0, clientWidth_, clientHeight_}); }
    std::function<void(const gdi::RECT& area)> OnSurfaceChanged;

private:
    void ResizeSurface();

    std::string name_;
    std::string caption_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int clientWidth_ = 0, clientHeight_ = 0;
    int frameWidth_ = 0, frameHeight_ = 0;
    gdi::COLORREF color_ = 0xF0F0F0;
    bool autoSize_ = false;
    bool paintPending_ = true;
    // What waits for the next paint; everything at first.
    gdi::RECT dirty_{};
    bool dirtyAll_ = true;
    std::optional<gdi::RECT> paintArea_;
    std::vector<TControl*> controls_;
    gdi::HBITMAP surface_;
};

// Run after every handled window message (the picture model releases its bitmap
// contexts there). Hooks are added at start-up.
void AddAfterMessageHook(std::function<void()> hook);
void RunAfterMessageHooks();

}  // namespace vardel
