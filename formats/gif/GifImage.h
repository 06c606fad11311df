// The GIF graphic kind and its object model: the header with the logical screen and
// global colour map, the frames in file order with their extensions, local colour
// maps and pixel indices; the frames' bitmaps, the composite of an animation and the
// painters that play it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "formats/gif/GifColorMap.h"
#include "formats/gif/GifExtensions.h"
#include "formats/gif/GifItem.h"
#include "formats/gif/GifPaintOptions.h"
#include "graphics/Bitmap.h"
#include "graphics/Graphic.h"
#include "platform/runtime/MemoryBudget.h"
#include "platform/runtime/Threads.h"

namespace vardel {

class TGIFImage;
class TGIFPainter;

// The logical screen descriptor (GIF89a, section 18) and the global colour map.
class TGIFHeader : public TGIFItem {
  public:
    explicit TGIFHeader(TGIFImage* image) : TGIFItem(image), globalColorMap_(*this) {}
    std::string_view ClassName() const override { return "TGIFHeader"; }

    static constexpr uint8_t kGlobalMapFlag = 0x80;
    static constexpr uint8_t kSortFlag = 0x08;

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    TGIFGlobalColorMap& GlobalColorMap() { return globalColorMap_; }
    const TGIFGlobalColorMap& GlobalColorMap() const { return globalColorMap_; }

    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    uint8_t ScreenFlags = 0;
    uint8_t BackgroundIndex = 0;
    uint8_t AspectRatio = 0;

  private:
    TGIFGlobalColorMap globalColorMap_;
};

class TGIFExtensionList : public TGIFList<TGIFExtension> {
  public:
    explicit TGIFExtensionList(TGIFSubImage& frame);
    // Reads the extensions in front of an image descriptor.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

  private:
    TGIFSubImage& frame_;
};

// One frame: its image descriptor (GIF89a, section 20), local colour map, extensions
// and pixel indices, Width x Height bytes, rows from top to bottom.
class TGIFSubImage : public TGIFItem {
  public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;
    std::string_view ClassName() const override { return "TGIFSubImage"; }

    static constexpr uint8_t kLocalMapFlag = 0x80;
    static constexpr uint8_t kInterlaceFlag = 0x40;
    static constexpr uint8_t kSortFlag = 0x20;

    TGIFVersion RequiredVersion() const override;
    void LoadFromStream(TStream& stream) override;
    // pixelBytesBefore: the pixel bytes of the frames read before this one, which
    // count against the same limit.
    void LoadFromStream(TStream& stream, uint64_t pixelBytesBefore);
    void SaveToStream(TStream& stream) const override;
    // Drops extensions, local map and pixels and sets the size to 0 x 0.
    void Clear();

    TGIFExtensionList& Extensions() { return extensions_; }
    const TGIFExtensionList& Extensions() const { return extensions_; }
    TGIFLocalColorMap& LocalColorMap() { return localColorMap_; }
    const TGIFLocalColorMap& LocalColorMap() const { return localColorMap_; }
    // The first graphic control block of the frame, or none.
    TGIFGraphicControlExtension* GraphicControl() const;

    bool Interlaced() const { return FrameFlags & kInterlaceFlag; }
    size_t PixelsSize() const { return Pixels.size(); }
    bool Empty() const { return Pixels.empty() || Width == 0 || Height == 0; }

    // Rendering state, built by TGIFImage::GetFrameBitmap. The bitmap holds the
    // indices with the frame's palette; the mask (bit 1: transparent) exists only
    // when the frame is transparent and uses its transparent index.
    TBitmap* FrameBitmap() const { return frameBitmap_.get(); }
    const gdi::HBITMAP& Mask() const { return mask_; }
    // Set until a bitmap build has looked at the mask.
    bool MaskPending() const { return maskPending_; }
    // Dropping the bitmap leaves the mask; dropping the mask sets MaskPending.
    void DropBitmap() { frameBitmap_.reset(); }
    void DropMask() {
        mask_.reset();
        maskPending_ = true;
    }

    // From the image descriptor.
    uint8_t Separator = kImageSeparator;
    uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t FrameFlags = 0;
    // Set while reading when a graphic control block of the frame names a
    // transparent colour.
    bool IsTransparent = false;
    std::vector<uint8_t> Pixels;
    // A copy of another frame's indices, charged to the memory budget as decoded ones are.
    void CopyPixels(const TGIFSubImage& from);

  private:
    friend class TGIFImage;
    void DecodePixels(TStream& stream, uint64_t pixelBytesBefore);

    TMemoryCharge pixelsCharge_;
    TGIFExtensionList extensions_;
    TGIFLocalColorMap localColorMap_;
    std::unique_ptr<TBitmap> frameBitmap_;
    gdi::HBITMAP mask_;
    bool maskPending_ = true;
    gdi::HPALETTE framePalette_;
};

class TGIFImageList : public TGIFList<TGIFSubImage> {
  public:
    using TGIFList<TGIFSubImage>::TGIFList;
    // Reads frames until the trailer, the end of the stream or an unknown block.
    void LoadFromStream(TStream& stream);
    // Writes every frame, with a progress report after each.
    void SaveToStream(TStream& stream);
};

// Made only while a stream is read or written.
class TGIFTrailer : public TGIFItem {
  public:
    using TGIFItem::TGIFItem;
    std::string_view ClassName() const override { return "TGIFTrailer"; }
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
};

using TGIFWarningEvent =
    std::function<void(TObject* sender, int severity, const std::string& message)>;
// Called with the painter that plays the image.
using TGIFPainterEvent = std::function<void(TGIFPainter* sender)>;

class TGIFImage : public TGraphic {
    VARDEL_GRAPHIC_CLASS(TGIFImage)

  public:
    TGIFImage();
    ~TGIFImage() override;
    // Copies the header, the frames with their extensions and the settings of
    // another GIF image (painters and bitmaps are not copied); none clears.
    void Assign(const TPersistent* source) override;

    TGIFHeader& Header() { return header_; }
    const TGIFHeader& Header() const { return header_; }
    TGIFImageList& Frames() { return frames_; }
    const TGIFImageList& Frames() const { return frames_; }
    // The version that writing needs: the highest of the frames', none without frames.
    TGIFVersion Version() const;
    // Stops the painters; no frames, an empty global map and a 0 x 0 screen.
    void Clear();

    // Draws the first frame, or with poAnimate the composite of a multi-frame image
    // that a painter keeps playing.
    void Render(TCanvas& canvas, const gdi::RECT& rect) override;
    bool SameContent(const TGraphic* other) override { return other == this; }
    bool IsEmpty() const override { return frames_.Empty(); }
    int Width() const override { return header_.ScreenWidth; }
    int Height() const override { return header_.ScreenHeight; }
    // A screen smaller than a frame's extent is refused.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    gdi::HPALETTE Palette() override { return ImagePalette(); }
    void SetPalette(const gdi::HPALETTE& palette) override;
    void LoadStream(TStream& stream) override;
    void SaveStream(TStream& stream) override;
    // Clipboard data is a whole GIF file.
    void LoadClipboard(uint16_t format, const std::vector<uint8_t>& data,
                       const gdi::HPALETTE& palette) override;
    void SaveClipboard(uint16_t& format, std::vector<uint8_t>& data,
                       gdi::HPALETTE& palette) override;

    // Called by items and lists; passes the warning to WarningHandler when one is set.
    virtual void ReportWarning(TObject* sender, int severity, std::string_view message);
    TGIFWarningEvent WarningHandler;

    // --- settings -----------------------------------------------------------------
    TGIFPaintOptions PaintOptions = kDefaultPaintOptions;
    TThreadPriority PainterPriority = TThreadPriority::tpNormal;
    // Delays are played at this percentage of their stored length's speed.
    int32_t AnimationSpeedPercent = 100;
    // The painters' background instead of the file's; clNone for none.
    TColor BackgroundOverride = clNone;
    // The clock and waits of painters; tests put in their own.
    TGIFPainterTiming PainterTiming;
    // Copied into each painter at its creation.
    TGIFPainterEvent StartPlayHandler, FramePaintHandler, AfterFrameHandler, LoopRestartHandler,
        EndPlayHandler;

    // --- frame rendering (GifFrameBitmap.cpp, GifPalettes.cpp, GifRender.cpp) --------
    // Frames are dithered onto the 216-colour palette (poDither, and poAutoDither only
    // on a palette display).
    bool DitherFrames() const;
    // The frame's bitmap, built on first use; none for a frame without pixels.
    TBitmap* GetFrameBitmap(TGIFSubImage& frame);
    gdi::HPALETTE FramePalette(TGIFSubImage& frame);
    gdi::HPALETTE ImagePalette();
    // Where the frame lands when the logical screen is drawn into rect.
    gdi::RECT ScaledFrameRect(const TGIFSubImage& frame, const gdi::RECT& rect) const;
    void DrawFrame(TGIFSubImage& frame, TCanvas& surface, const gdi::RECT& rect, bool transparent,
                   bool tile);
    TBitmap* CompositeBitmap() const { return composite_.get(); }

    // --- painters (GifPainter.cpp) ----------------------------------------------------
    // A painter for the target, appended to the painter list, still suspended; none
    // for an empty image or rectangle. Without poThreaded the play runs to its end at
    // once (raising what ended it) and none is returned.
    TGIFPainter* CreatePainter(TGIFPainter** ownerSlot, TCanvas& surface, TGIFPaintOptions options,
                               const gdi::RECT& rect);
    // The painter that Render started, while it plays.
    TGIFPainter* ActivePainter() const { return activePainter_; }
    // Stops the active painter, waits until it has ended and drops the composite.
    void StopActivePainter();
    // Stops every painter and waits until those with threads have ended.
    void StopAllPainters();
    // Painters that are listed (playing, or ended but not cleaned up yet).
    int PainterCount() const;

  private:
    friend class TGIFPainter;
    using TPainterLock = std::unique_lock<std::recursive_mutex>;

    // Progress reports of rendering go to the user-interface thread.
    void RenderProgress(TObject* sender, TProgressStage stage, uint8_t percent, bool redrawNow);
    gdi::HPALETTE ImagePaletteLocked();
    gdi::HPALETTE FramePaletteLocked(TGIFSubImage& frame);
    void MakeComposite();
    // Drops the composite, first stopping the painter that draws on it.
    void DropComposite();
    void DrawComposite(TCanvas& surface, const gdi::RECT& rect);
    void WaitForFirstFrame(const std::shared_ptr<TGIFPainter>& painter);
    // Moves a painter whose play has ended out of the list (on the user-interface
    // thread); its thread is joined later by ReapPainters.
    void PainterEnded(TGIFPainter& painter);
    void ReapPainters();

    TGIFHeader header_;
    TGIFImageList frames_;

    // Rendering.
    std::unique_ptr<TBitmap> composite_;
    gdi::HPALETTE compositePalette_;
    gdi::HPALETTE cachedPalette_;
    bool inRender_ = false;
    bool inPaletteQuery_ = false;
    // Guards frame bitmaps and palettes, which painter threads build too.
    std::recursive_mutex renderMutex_;

    // Painters.
    mutable std::recursive_mutex painterMutex_;
    std::vector<std::shared_ptr<TGIFPainter>> painters_;
    std::vector<std::shared_ptr<TGIFPainter>> endedPainters_;
    TGIFPainter* activePainter_ = nullptr;
};

}  // namespace vardel
