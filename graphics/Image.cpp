#include "graphics/Image.h"

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "platform/runtime/Exceptions.h"

namespace vardel {

// ---------------------------------------------------------------------------
// Canvases on windows

TWindowCanvas::~TWindowCanvas() {
    FreeContext();
}

void TWindowCanvas::AcquireContext() {
    gdi::HDC dc = window_ ? window_->ClientContext() : nullptr;
    if (!dc) throw EOutOfResources(msg::kWindowDC);
    SetHandle(dc);
}

void TWindowCanvas::AfterModify() {
    TCanvas::AfterModify();
    if (window_) window_->SurfaceChanged();
}

void TWindowCanvas::FreeContext() {
    gdi::HDC dc = HeldContext();
    SetHandle(nullptr);
    if (dc) gdi::ReleaseDC(dc);
}

TControlCanvas::~TControlCanvas() {
    FreeContext();
}

void TControlCanvas::AcquireContext() {
    if (!control_->Parent()) throw EInvalidOperation(Format(msg::kNoParent, {control_->Name()}));
    gdi::HDC dc = control_->ParentContext();
    if (!dc) throw EOutOfResources(msg::kWindowDC);
    SetHandle(dc);
}

void TControlCanvas::FreeContext() {
    gdi::HDC dc = HeldContext();
    SetHandle(nullptr);
    if (dc) gdi::ReleaseDC(dc);
}

// ---------------------------------------------------------------------------
// The view

TImage::TImage(std::string name) : TControl(std::move(name)) {
    picture_ = std::make_unique<TPicture>();
    picture_->OnModified = PictureChanged{this};
    picture_->OnProgress = [this](TObject* sender, TProgressStage stage, uint8_t percent,
                                  bool redraw, const gdi::RECT& r, const std::string& msg) {
        PictureProgress(sender, stage, percent, redraw, r, msg);
    };
    canvas_ = std::make_unique<TControlCanvas>(this);
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
    canvas_.reset();
    picture_->OnModified = nullptr;
    picture_.reset();
}

void TImage::SetPicture(const TPicture& picture) {
    picture_->AssignGraphic(picture.Graphic());
}

TCanvas& TImage::Surface() {
    if (!picture_->Graphic()) {
        TBitmap bitmap;
        bitmap.SetWidth(Width());
        bitmap.SetHeight(Height());
        picture_->AssignGraphic(&bitmap);
    }
    TGraphic* graphic = picture_->Graphic();
    if (!graphic->ClassType().InheritsFrom(TBitmap::ClassInfo()))
        throw EInvalidOperation(msg::kNoBitmapInImage);
    return static_cast<TBitmap*>(graphic)->Surface();
}

bool TImage::HearsPictureAlone() const {
    if (!picture_->HearsGraphicAlone()) return false;
    if (!picture_->OnModified) return true;
    const auto* own = picture_->OnModified.target<PictureChanged>();
    return own && own->view == this;
}

bool TImage::ChangesUnobserved() {
    auto* bitmap = dynamic_cast<TBitmap*>(picture_->Graphic());
    return bitmap && !bitmap->Surface().Hooked() && HearsPictureAlone();
}

gdi::RECT TImage::DisplayRect() const {
    const int pw = picture_->Width(), ph = picture_->Height();
    const int cw = Width(), ch = Height();
    int w, h;
    if (stretch_ || (proportional_ && (pw > cw || ph > ch))) {
        if (proportional_ && pw > 0 && ph > 0) {
            const double ratio = static_cast<double>(pw) / ph;
            if (pw > ph) {
                w = cw;
                h = static_cast<int>(cw / ratio);
                if (h > ch) {
                    h = ch;
                    w = static_cast<int>(ch * ratio);
                }
            } else {
                h = ch;
                w = static_cast<int>(ch * ratio);
                if (w > cw) {
                    w = cw;
                    h = static_cast<int>(cw / ratio);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    } else {
        w = pw;
        h = ph;
    }
    gdi::RECT r{0, 0, w, h};
    if (center_) {
        const int dx = (cw - w) / 2, dy = (ch - h) / 2;
        r = {dx, dy, dx + w, dy + h};
    }
    return r;
}

void TImage::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on) PictureModified();
}

void TImage::SetCenter(bool on) {
    if (on == center_) return;
    center_ = on;
    PictureModified();
}

void TImage::SetStretch(bool on) {
    if (on == stretch_) return;
    stretch_ = on;
    PictureModified();
}

void TImage::SetProportional(bool on) {
    if (on == proportional_) return;
    proportional_ = on;
    PictureModified();
}

void TImage::SetTransparent(bool on) {
    if (on == transparent_) return;
    transparent_ = on;
    PictureModified();
}

void TImage::PictureModified() {
    // Every pixel a command writes ends here. When only pixels changed, the picture's
    // size, transparency and palette are what the last full pass found.
    TGraphic* graphic = picture_->Graphic();
    if (graphic && graphic == seenGraphic_ && graphic->PixelsOnlyChange()) {
        if (AutoSizePending()) SetBounds(Left(), Top(), seenWidth_, seenHeight_);
        if (drawing_) return;
        Invalidate();
        // The repaint is requested and the size is right: the next changes of pixels
        // would do nothing more until the notice epoch moves on.
        if (!AutoSizePending() && HearsPictureAlone()) graphic->KeepPixelNotice();
        return;
    }
    RereadPicture(graphic);
}

bool TImage::AutoSizePending() const {
    return autoSize_ && seenWidth_ > 0 && seenHeight_ > 0 &&
           (seenWidth_ != Width() || seenHeight_ != Height());
}

void TImage::RereadPicture(TGraphic* graphic) {
    seenGraphic_ = graphic;
    if (!graphic) {
        SetOpaque(false);
    } else {
        seenWidth_ = graphic->Width();
        seenHeight_ = graphic->Height();
        if (AutoSizePending()) SetBounds(Left(), Top(), seenWidth_, seenHeight_);
        bool transparent = graphic->Transparent();
        if (transparent != transparent_) {
            const TGraphicClass& kind = graphic->ClassType();
            if (!kind.InheritsFrom(TMetafile::ClassInfo()) &&
                !kind.InheritsFrom(TIcon::ClassInfo())) {
                graphic->SetTransparent(transparent_);
                transparent = graphic->Transparent();
            }
        }
        SetOpaque(!transparent && stretch_ && !proportional_);
        // There is no hardware palette to realise on a true-colour display; the change
        // is taken as seen.
        if (graphic->PaletteDirty()) graphic->SetPaletteDirty(false);
    }
    if (!drawing_) Invalidate();
}

void TImage::Paint() {
    TGraphic* graphic = picture_->Graphic();
    if (!graphic || graphic->IsEmpty()) return;
    drawing_ = true;
    try {
        canvas_->DrawGraphicStretched(DisplayRect(), graphic);
    } catch (...) {
        drawing_ = false;
        canvas_->FreeContext();
        throw;
    }
    drawing_ = false;
    canvas_->FreeContext();
}

void TImage::PictureProgress(TObject* sender, TProgressStage stage, uint8_t percent, bool redrawNow,
                             const gdi::RECT& r, const std::string& msg) {
    if (redrawNow && incrementalDisplay_) RepaintNow();
    if (OnProgress) OnProgress(sender, stage, percent, redrawNow, r, msg);
}

}  // namespace vardel
