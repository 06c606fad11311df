// The image view: a control that shows a picture and hands out a surface for editing
// it; and the canvases that draw on a window's client area.
#pragma once

#include <memory>

#include "graphics/Canvas.h"
#include "graphics/Picture.h"
#include "platform/ui/Control.h"

namespace vardel {

class TBitmap;

// A canvas on a window's client area. What it draws lasts until the next repaint.
class TWindowCanvas : public TCanvas {
  public:
    explicit TWindowCanvas(TWindow* window) : window_(window) {}
    ~TWindowCanvas() override;
    std::string_view ClassName() const override { return "TWindowCanvas"; }
    void FreeContext() override;

  protected:
    void AcquireContext() override;
    // What the canvas drew goes to the screen without the window's controls being
    // painted over it.
    void AfterModify() override;

  private:
    TWindow* window_;
};

// A canvas on a control's area of its parent window, origin at the control.
class TControlCanvas : public TCanvas {
  public:
    explicit TControlCanvas(TControl* control) : control_(control) {}
    ~TControlCanvas() override;
    std::string_view ClassName() const override { return "TControlCanvas"; }
    void FreeContext() override;

  protected:
    void AcquireContext() override;

  private:
    TControl* control_;
};

class TImage : public TControl {
  public:
    explicit TImage(std::string name);
    ~TImage() override;
    std::string_view ClassName() const override { return "TImage"; }

    TPicture& Picture() { return *picture_; }
    // Copies the given picture's graphic into the view's picture.
    void SetPicture(const TPicture& picture);
    // The surface of the held bitmap; an empty picture first gets a white bitmap of
    // the view's size. Any other kind of graphic is refused.
    TCanvas& Surface();
    // Whether changes of the held bitmap's pixels reach nobody outside the program:
    // no hooks on its surface, and the picture's subscription to the bitmap and the
    // view's to the picture are their own (or absent). Only then may a change of many
    // pixels be told once instead of once a pixel; false when no bitmap is held.
    bool ChangesUnobserved();
    gdi::RECT DisplayRect() const;

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool Center() const { return center_; }
    void SetCenter(bool on);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool on);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    bool IncrementalDisplay() const { return incrementalDisplay_; }
    void SetIncrementalDisplay(bool on) { incrementalDisplay_ = on; }

    void Paint() override;
    TProgressEvent OnProgress;

    // Runs on every change of the picture: auto-size, transparency, repaint request.
    void PictureModified();

  private:
    // Whether the held graphic's changes reach the view through the picture's and the
    // view's own subscriptions only (or reach nobody).
    bool HearsPictureAlone() const;
    // The view's subscription to its picture, told apart from anyone else's.
    struct PictureChanged {
        TImage* view;
        void operator()(TPicture*) const { view->PictureModified(); }
    };

    // The view's size differs from the picture's and the view sizes itself to it.
    bool AutoSizePending() const;
    // The full pass over a new or changed picture: size, transparency, palette.
    void RereadPicture(TGraphic* graphic);
    void PictureProgress(TObject* sender, TProgressStage stage, uint8_t percent, bool redrawNow,
                         const gdi::RECT& r, const std::string& msg);

    std::unique_ptr<TPicture> picture_;
    std::unique_ptr<TControlCanvas> canvas_;
    // What PictureModified last found of the graphic; a change of pixels only
    // leaves it as it was.
    const TGraphic* seenGraphic_ = nullptr;
    int seenWidth_ = 0, seenHeight_ = 0;
    bool autoSize_ = false;
    bool center_ = false;
    bool stretch_ = false;
    bool proportional_ = false;
    bool transparent_ = false;
    bool incrementalDisplay_ = false;
    bool drawing_ = false;
};

}  // namespace vardel
