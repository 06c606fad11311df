// The drawing surface: a device context with font, pen and brush, pixel access, and
// the change hooks that tie a surface to the bitmap it draws on.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "graphics/Color.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Object.h"
#include "platform/ui/NoticeEpoch.h"

namespace vardel {

class TGraphic;

// Font, pen and brush: plain values whose platform objects are made when needed.
class TFont {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; ++version_; }
    int Height() const { return height_; }
    void SetHeight(int h) { height_ = h; ++version_; handle_.reset(); }
    const std::string& Name() const { return name_; }
    void SetName(std::string n) { name_ = std::move(n); ++version_; handle_.reset(); }
    const gdi::HFONT& Handle();
    unsigned Version() const { return version_; }

private:
    TColor color_ = clWindowText;
    int height_ = -11;
    std::string name_ = "MS Sans Serif";
    gdi::HFONT handle_;
    unsigned version_ = 0;
};

class TPen {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; ++version_; handle_.reset(); }
    int Width() const { return width_; }
    void SetWidth(int w) { width_ = w; ++version_; handle_.reset(); }
    const gdi::HPEN& Handle();
    unsigned Version() const { return version_; }

private:
    TColor color_ = clBlack;
    int width_ = 1;
    gdi::HPEN handle_;
    unsigned version_ = 0;
};

enum class TBrushStyle { bsSolid, bsClear };

class TBrush {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; style_ = TBrushStyle::bsSolid; ++version_; handle_.reset(); }
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s) { style_ = s; ++version_; handle_.reset(); }
    const gdi::HBRUSH& Handle();
    unsigned Version() const { return version_; }

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
    gdi::HBRUSH handle_;
    unsigned version_ = 0;
};

class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    std::string_view ClassName() const override { return "TCanvas"; }

    // The colour at (x, y), or 0xFFFFFFFF outside the surface. Calls no hook.
    TColor ReadPixel(int x, int y) {
        // Every command reads every pixel: on 24- and 32-bit surfaces the rows are read
        // directly, with the same bounds and clipping as the platform's GetPixel.
        if (DirectPixels(csHandle)) {
            const uint8_t* p = pixels_.At(x, y);
            return p ? static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16)) : static_cast<TColor>(gdi::CLR_INVALID);
        }
        return static_cast<TColor>(gdi::GetPixel(dc_, x, y));
    }
    // Writes one pixel; outside the surface nothing changes.
    void WritePixel(int x, int y, TColor color) {
        // While the change hooks are known to do nothing, they are not called.
        const bool quiet = quiet_ == NoticeEpoch();
        if (!quiet) BeforeModify();
        const uint32_t c = ResolveColor(color);
        if (DirectPixels(csHandle | csPen)) {
            if (uint8_t* p = pixels_.At(x, y)) {
                p[0] = static_cast<uint8_t>(c >> 16);
                p[1] = static_cast<uint8_t>(c >> 8);
                p[2] = static_cast<uint8_t>(c);
            }
        } else {
            gdi::SetPixelV(dc_, x, y, c);
        }
        if (!quiet) AfterModify();
    }
    // Draws a graphic at its own size with its top-left corner at (x, y).
    void DrawGraphic(int x, int y, TGraphic* graphic);
    void DrawGraphicStretched(const gdi::RECT& rect, TGraphic* graphic);
    // Copies a rectangle of source into a rectangle of this surface, scaled.
    void CopyRect(const gdi::RECT& dest, TCanvas& source, const gdi::RECT& sourceRect);
    void FillRect(const gdi::RECT& rect);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    gdi::POINT PenPos();
    gdi::RECT ClipRect();

    // The context for callers that draw with the platform directly: runs BeforeModify
    // and selects font, pen and brush (there is no matching AfterModify).
    gdi::HDC Handle();
    bool HandleAllocated() const { return dc_ != nullptr; }
    // The context as it is, without making one (none when not held).
    const gdi::HDC& HeldContext() const { return dc_; }
    // The context with font, pen and brush selected, without any change hook: for
    // graphics that render onto this canvas and for the sources of transfers.
    gdi::HDC DrawingContext();
    // Gives the context back (what was drawn stays); the next use makes a new one.
    virtual void FreeContext() { SetHandle(nullptr); }

    TFont& Font() { return font_; }
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    uint32_t CopyMode() const { return copyMode_; }
    void SetCopyMode(uint32_t rop) { copyMode_ = rop; }

    TChangeSubscriber<void(TCanvas*)> OnBeforeModify;
    TChangeSubscriber<void(TCanvas*)> OnAfterModify;

    // A critical section with a use count.
    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const { return lockCount_; }

    // Marks a change made behind the canvas's back (for example by a masked
    // transfer onto Handle(), or straight on PixelRows()).
    void Changed() { AfterModify(); }
    // Marks the start of such a change: copy on write, the changing hook.
    void Changing() { BeforeModify(); }
    // The rows of a surface of 24 or 32 bits for a change made straight on them,
    // bracketed by Changing() and Changed(); false (no rows) on other surfaces. Makes
    // sure of the context as WritePixel does, so it refuses what WritePixel refuses.
    bool PixelRows(gdi::PixelWindow& rows) {
        if (!DirectPixels(csHandle | csPen)) return false;
        rows = pixels_;
        return true;
    }
    // Whether a caller hooked itself into changes of this surface.
    bool Hooked() const { return OnBeforeModify || OnAfterModify; }

protected:
    virtual void AfterModify() {
        if (OnAfterModify) Tell(OnAfterModify);
    }
    virtual void BeforeModify() {
        if (OnBeforeModify) Tell(OnBeforeModify);
    }
    // Obtains the context; the base has none to offer.
    virtual void AcquireContext() {}
    // Told by a change hook that found nothing left to do: until the notice epoch moves
    // on, neither hook has anything to do for a pixel written.
    void KeepQuiet() { quiet_ = NoticeEpoch(); }

    // Installs or drops the context; dropping restores the original selections.
    // Contexts installed here are given back after each handled window message.
    void SetHandle(gdi::HDC dc);

    enum StateFlag : uint8_t { csHandle = 1, csFont = 2, csPen = 4, csBrush = 8 };
    // Makes sure of the context and of the font, pen and brush that `flags` name.
    void RequireState(uint8_t flags) {
        // Every pixel passes here: the common case, nothing to do, stays inline.
        if (dc_ && (!(flags & csFont) || fontVersion_ == font_.Version()) &&
            (!(flags & csPen) || penVersion_ == pen_.Version()) &&
            (!(flags & csBrush) || brushVersion_ == brush_.Version()))
            return;
        UpdateState(flags);
    }

private:
    void UpdateState(uint8_t flags);
    // Calls a hook; out of line, so that a pixel written without hooks (the usual case)
    // needs no stack frame for one.
    void Tell(const std::function<void(TCanvas*)>& hook);
    // Makes sure of the state that `flags` name and of the pixel window; true when the
    // rows can be read and written directly. A window that is still current was taken
    // from the context that is still held, so only the pen needs a look then.
    bool DirectPixels(uint8_t flags) {
        if (!pixels_.Current() || ((flags & csPen) && penVersion_ != pen_.Version())) {
            RequireState(flags);
            if (!pixels_.Current()) gdi::GetPixelWindow(dc_, pixels_);
        }
        return pixels_.bytesPerPixel != 0;
    }

    gdi::HDC dc_;
    gdi::PixelWindow pixels_;
    uint64_t quiet_ = 0;  // the epoch that KeepQuiet saw; 0 for none
    TFont font_;
    TPen pen_;
    TBrush brush_;
    uint32_t copyMode_ = gdi::SRCCOPY;
    unsigned fontVersion_ = ~0u, penVersion_ = ~0u, brushVersion_ = ~0u;
    gdi::HPEN originalPen_;
    gdi::HBRUSH originalBrush_;
    gdi::HFONT originalFont_;
    std::recursive_mutex mutex_;
    int lockCount_ = 0;
};

// Gives back the contexts of every canvas that is not locked; run after each handled
// window message. Pixels already drawn stay in their bitmaps.
void FreeMemoryContexts();
// Gives back the context of every canvas for which `holds` answers true.
void FreeContextsWhere(const std::function<bool(TCanvas&)>& holds);

}  // namespace vardel
