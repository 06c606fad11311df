// Drawing a GIF image onto a surface: one frame, placed or tiled, opaque or through
// its mask; and the composite bitmap that a painter keeps playing.
#include <algorithm>
#include <climits>

#include "formats/gif/GifGeometry.h"
#include "formats/gif/GifImage.h"
#include "formats/gif/GifPainter.h"
#include "formats/gif/GifTransparentBlit.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/MemoryBudget.h"
#include "platform/ui/UiThread.h"

namespace vardel {

namespace {

// Where a frame edge at `position` of a screen `screen` wide lands in a rectangle
// that starts at `start` and is `length` long.
int32_t Scale(int32_t start, int64_t position, int32_t length, int32_t screen) {
    // A screen without width cannot be scaled from; its frames keep their size.
    const int64_t scaled = screen == 0 ? position : RoundHalfAway(position * length, screen);
    return static_cast<int32_t>(std::clamp<int64_t>(start + scaled, INT32_MIN, INT32_MAX));
}

}  // namespace

gdi::RECT TGIFImage::ScaledFrameRect(const TGIFSubImage& frame, const gdi::RECT& rect) const {
    const int32_t w = rect.Width(), h = rect.Height();
    const int32_t sw = header_.ScreenWidth, sh = header_.ScreenHeight;
    return {Scale(rect.left, frame.Left, w, sw), Scale(rect.top, frame.Top, h, sh),
            Scale(rect.left, int64_t{frame.Left} + frame.Width, w, sw),
            Scale(rect.top, int64_t{frame.Top} + frame.Height, h, sh)};
}

void TGIFImage::DrawFrame(TGIFSubImage& frame, TCanvas& surface, const gdi::RECT& rect,
                          bool transparent, bool tile) {
    if (frame.Empty()) return;
    const bool masked = transparent && frame.IsTransparent;
    if (masked) {
        // The mask is made with the bitmap: a bitmap built without it is built again.
        std::unique_ptr<TBitmap> stale;
        {
            std::lock_guard lock(renderMutex_);
            if (frame.maskPending_) stale = std::move(frame.frameBitmap_);
        }
    }
    TBitmap* bitmap = GetFrameBitmap(frame);
    if (!bitmap) return;
    const gdi::RECT placed = tile ? rect : ScaledFrameRect(frame, rect);
    const int width = frame.Width, height = frame.Height;
    const gdi::RECT visible = tile ? surface.ClipRect() : gdi::RECT{};

    if (masked && frame.mask_) {
        TMemoryContext maskContext(frame.mask_);
        const gdi::HDC target = surface.Handle();
        const gdi::HDC source = bitmap->Surface().DrawingContext();
        if (!tile) {
            TransparentBlit(target, placed.left, placed.top, placed.Width(), placed.Height(),
                            source, 0, 0, width, height, maskContext.dc(), 0, 0);
        } else {
            ForEachTile(rect, rect.left + frame.Left, rect.top + frame.Top, width, height, visible,
                        [&](int x, int y) {
                            TransparentBlit(target, x, y, width, height, source, 0, 0, width,
                                            height, maskContext.dc(), 0, 0);
                        });
        }
        surface.Changed();
        return;
    }
    if (!tile) {
        surface.DrawGraphicStretched(placed, bitmap);
    } else {
        ForEachTile(rect, rect.left + frame.Left, rect.top + frame.Top, width, height, visible,
                    [&](int x, int y) {
                        surface.DrawGraphicStretched({x, y, x + width, y + height}, bitmap);
                    });
    }
}

// --- the image as a whole ----------------------------------------------------------

void TGIFImage::Render(TCanvas& canvas, const gdi::RECT& rect) {
    if (inRender_ || frames_.Empty()) return;
    inRender_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{inRender_};
    ReapPainters();
    const TGIFPaintOptions options = PaintOptions;
    if (frames_.Count() == 1 || !(options & poAnimate)) {
        DrawFrame(frames_[0], canvas, rect, options & poTransparent, options & poTile);
        return;
    }
    const bool direct = options & poDirect;
    if (composite_ && !direct) {
        DrawComposite(canvas, rect);
        return;
    }
    TPainterLock lock(painterMutex_);
    if (activePainter_ && &activePainter_->TargetSurface() == &canvas &&
        activePainter_->TargetRect() == rect)
        return;
    StopActivePainter();
    TCanvas* target = &canvas;
    gdi::RECT targetRect = rect;
    if (!direct) {
        MakeComposite();
        targetRect = {0, 0, header_.ScreenWidth, header_.ScreenHeight};
        // What the surface shows now is the animation's background.
        composite_->Surface().CopyRect(targetRect, canvas, rect);
        target = &composite_->Surface();
    }
    TGIFPainter* made = CreatePainter(&activePainter_, *target, options, targetRect);
    if (!made) {
        // A painter without a thread has already played to its end on the composite;
        // the surface shows where it stopped.
        if (!direct && composite_) DrawComposite(canvas, rect);
        return;
    }
    std::shared_ptr<TGIFPainter> painter = made->shared_from_this();
    painter->Start();
    if (direct) return;
    WaitForFirstFrame(painter);
    DrawComposite(canvas, rect);
}

void TGIFImage::WaitForFirstFrame(const std::shared_ptr<TGIFPainter>& painter) {
    // The painter draws through calls that this thread runs while it waits.
    while (activePainter_ == painter.get() && !painter->Terminated() &&
           !painter->FirstFramePainted() && !painter->PlayEnded())
        if (!RunPendingUiCalls()) YieldTimeSlice();
    // A failure before anything was painted is the drawing's failure, as it would
    // be for a still picture; later ones only end the animation.
    if (!painter->FirstFramePainted())
        if (std::exception_ptr failure = painter->Failure()) std::rethrow_exception(failure);
}

void TGIFImage::MakeComposite() {
    const int width = header_.ScreenWidth, height = header_.ScreenHeight;
    CheckPictureAllocation(uint64_t(width) * uint64_t(height) * 4);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // A fuzzer draws thousands of inputs a second; screens of hundreds of megabytes
    // would only spend that time filling memory.
    if (uint64_t(width) * uint64_t(height) > (uint64_t{1} << 20))
        throw EOutOfMemory(msg::kOutOfMemory);
#endif
    gdi::HPALETTE palette;
    if (gdi::HPALETTE source = ImagePalette()) {
        std::vector<gdi::PALETTEENTRY> entries(static_cast<size_t>(gdi::GetObject(source)));
        gdi::GetPaletteEntries(source, 0, static_cast<unsigned>(entries.size()), entries.data());
        gdi::LOGPALETTE copy;
        copy.palPalEntry = std::move(entries);
        palette = gdi::CreatePalette(copy);
    }
    auto composite = std::make_unique<TBitmap>();
    composite->SetPalette(palette);
    composite->SetSize(width, height);
    composite->OnModified = [this](TGraphic*) { NotifyChanged(this); };
    {
        std::lock_guard lock(renderMutex_);
        compositePalette_ = palette;
    }
    composite_ = std::move(composite);
}

void TGIFImage::DropComposite() {
    if (!composite_) return;
    if (activePainter_ && &activePainter_->TargetSurface() == &composite_->Surface()) {
        StopActivePainter();  // drops the composite too
        return;
    }
    {
        std::lock_guard lock(renderMutex_);
        compositePalette_.reset();
    }
    composite_.reset();
}

void TGIFImage::DrawComposite(TCanvas& surface, const gdi::RECT& rect) {
    if (!composite_) {
        MakeComposite();
        if (!frames_.Empty()) {
            TGIFSubImage& first = frames_[0];
            TBitmap* bitmap =
                first.Width == header_.ScreenWidth && first.Height == header_.ScreenHeight
                    ? GetFrameBitmap(first)
                    : nullptr;
            if (bitmap)
                composite_->Assign(bitmap);
            else
                DrawFrame(first, composite_->Surface(),
                          {0, 0, header_.ScreenWidth, header_.ScreenHeight}, false, false);
        }
    }
    TBitmap* composite = composite_.get();
    if (!(PaintOptions & poTile)) {
        surface.DrawGraphicStretched(rect, composite);
        return;
    }
    ForEachTile(rect, rect.left, rect.top, header_.ScreenWidth, header_.ScreenHeight,
                surface.ClipRect(), [&](int x, int y) {
                    surface.DrawGraphicStretched(
                        {x, y, x + header_.ScreenWidth, y + header_.ScreenHeight}, composite);
                });
}

}  // namespace vardel
