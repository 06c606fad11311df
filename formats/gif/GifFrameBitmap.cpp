// A frame's indices as a bitmap with its palette, plain or dithered onto the
// 216-colour palette, and the monochrome mask of its transparent pixels.
#include <vector>

#include "formats/gif/GifDIBWriter.h"
#include "formats/gif/GifDither.h"
#include "formats/gif/GifImage.h"
#include "formats/gif/GifTransparentBlit.h"
#include "platform/ui/UiThread.h"

namespace vardel {

namespace {

constexpr const char* kRendering = "Rendering...";
constexpr int kProgressRows = 32;

// Mask rows as a monochrome bitmap wants them: padded to 16 bits, bit 7 of a byte
// first. A set bit marks a transparent pixel.
class TMaskBuilder {
  public:
    TMaskBuilder(int width, int height, uint8_t transparentIndex)
        : width_(width),
          height_(height),
          rowBytes_(static_cast<size_t>((width + 15) / 16) * 2),
          index_(transparentIndex),
          bits_(rowBytes_ * static_cast<size_t>(height), 0) {}

    void Row(int y, const uint8_t* indices) {
        uint8_t* row = bits_.data() + rowBytes_ * static_cast<size_t>(y);
        for (int x = 0; x < width_; ++x)
            if (indices[x] == index_) {
                row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
                any_ = true;
            }
    }
    bool IsTransparent(const uint8_t* indices, int x) const { return indices[x] == index_; }
    // None when no pixel uses the transparent index: the frame is then drawn opaque.
    gdi::HBITMAP Make() const {
        if (!any_) return nullptr;
        return CheckedHandle(gdi::CreateBitmap(width_, height_, 1, 1, bits_.data()));
    }

  private:
    int width_, height_;
    size_t rowBytes_;
    uint8_t index_;
    std::vector<uint8_t> bits_;
    bool any_ = false;
};

// The colour of each index for the ditherer: the frame's map, else the global one;
// indices beyond the map are black, as in the plain bitmap's colour table.
std::vector<TGIFColor> ColorsOf(const TGIFSubImage& frame, const TGIFImage& image) {
    const TGIFColorMap& map = frame.LocalColorMap().Count() > 0
                                  ? static_cast<const TGIFColorMap&>(frame.LocalColorMap())
                                  : image.Header().GlobalColorMap();
    std::vector<TGIFColor> colors(256);
    for (int i = 0; i < map.Count(); ++i) colors[static_cast<size_t>(i)] = map.Entry(i);
    return colors;
}

}  // namespace

void TGIFImage::RenderProgress(TObject* sender, TProgressStage stage, uint8_t percent,
                               bool redrawNow) {
    // Painter threads build bitmaps too; whoever listens lives on the user-interface
    // thread.
    CallOnUiThread([&] { Progress(sender, stage, percent, redrawNow, gdi::RECT{}, kRendering); });
}

TBitmap* TGIFImage::GetFrameBitmap(TGIFSubImage& frame) {
    bool maskPending;
    {
        std::lock_guard lock(renderMutex_);
        if (frame.frameBitmap_) return frame.frameBitmap_.get();
        maskPending = frame.maskPending_;
    }
    if (frame.Empty()) return nullptr;

    // Built without the lock, which a painter thread must not hold while it reports
    // progress to the user-interface thread; should two threads build the same frame,
    // the first to finish wins.
    RenderProgress(&frame, TProgressStage::psStarting, 0, false);
    auto bitmap = std::make_unique<TBitmap>();
    gdi::HBITMAP mask;
    try {
        const int width = frame.Width, height = frame.Height;
        const bool dither = DitherFrames();
        TDIBWriter writer(*bitmap, FramePalette(frame), height, width, TPixelLayout::Format8Bit);
        const TGIFGraphicControlExtension* control = frame.GraphicControl();
        std::unique_ptr<TMaskBuilder> masker;
        if (maskPending && frame.IsTransparent && control)
            masker = std::make_unique<TMaskBuilder>(width, height, control->TransparentColorIndex);

        std::unique_ptr<TFloydSteinbergDitherer> ditherer;
        std::vector<TGIFColor> colors, rowColors;
        std::vector<uint8_t> skip;
        if (dither) {
            ditherer = std::make_unique<TFloydSteinbergDitherer>(width);
            colors = ColorsOf(frame, *this);
            rowColors.resize(static_cast<size_t>(width));
            skip.assign(static_cast<size_t>(width), 0);
        }
        for (int y = 0; y < height; ++y) {
            if (y % kProgressRows == 0)
                RenderProgress(&frame, TProgressStage::psRunning,
                               static_cast<uint8_t>(int64_t{y} * 100 / height), false);
            const uint8_t* indices = frame.Pixels.data() + static_cast<size_t>(y) * width;
            uint8_t* row = writer.ScanRow(y);
            if (ditherer) {
                for (int x = 0; x < width; ++x) {
                    rowColors[static_cast<size_t>(x)] = colors[indices[x]];
                    skip[static_cast<size_t>(x)] = masker && masker->IsTransparent(indices, x);
                }
                ditherer->DitherRow(rowColors.data(), skip.data(), row);
            } else {
                std::copy(indices, indices + width, row);
            }
            if (masker) masker->Row(y, indices);
        }
        if (masker) mask = masker->Make();
        writer.Finish();
        // The bitmap makes its palette on first request; made here, before other
        // threads see the bitmap, later requests only read it.
        bitmap->Palette();
    } catch (const EAbort&) {
        // A listener cancelled the rendering: the frame stays without a bitmap.
        RenderProgress(&frame, TProgressStage::psEnding, 0, false);
        return nullptr;
    } catch (...) {
        RenderProgress(&frame, TProgressStage::psEnding, 0, false);
        throw;
    }
    TBitmap* result;
    {
        std::lock_guard lock(renderMutex_);
        if (!frame.frameBitmap_) {
            frame.frameBitmap_ = std::move(bitmap);
            if (maskPending) {
                frame.mask_ = mask;
                frame.maskPending_ = false;
            }
        }
        result = frame.frameBitmap_.get();
    }
    const bool paletteDirty = PaletteDirty();
    RenderProgress(&frame, TProgressStage::psEnding, 100, paletteDirty);
    if (paletteDirty) CallOnUiThread([&] { NotifyChanged(&frame); });
    return result;
}

}  // namespace vardel
