// The in-memory raster image: a platform bitmap shared between copies until one of
// them changes, its drawing surface, pixel layouts and BMP reading and writing.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "graphics/Canvas.h"
#include "graphics/Graphic.h"

namespace vardel {

class TBitmap;

enum class TPixelLayout {
    FormatDevice,
    Format1Bit,
    Format4Bit,
    Format8Bit,
    Format15Bit,
    Format16Bit,
    Format24Bit,
    Format32Bit,
    FormatCustom
};

enum class THandleKind { DeviceIndependent, DeviceDependent };
enum class TTransparentMode { Auto, Fixed };

// The pixels behind one or more TBitmap objects (ShareCount of them).
struct TBitmapImage {
    gdi::HBITMAP handle;         // what drawing uses
    gdi::HBITMAP maskHandle;     // for transparent drawing
    gdi::HPALETTE palette;
    gdi::HBITMAP section;        // rows addressable; the same handle as `handle` for
                                 // images read from files or made device-independent
    // Of the section, or only the bitmap part of a device bitmap (header size 0).
    gdi::DIBSECTION description = [] {
        gdi::DIBSECTION d;
        d.dsBmih.biSize = 0;
        return d;
    }();
    std::shared_ptr<const std::vector<uint8_t>> keptFileBytes;  // run-length files until changed
    bool coreHeaderOrigin = false;
    bool halftonePalette = false;
};

class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap);
    ~TBitmapCanvas() override;
    std::string_view ClassName() const override { return "TBitmapCanvas"; }

    // Deselects the bitmap and deletes the context (pixels stay in the bitmap).
    void FreeContext() override;
    TBitmap* Bitmap() const { return bitmap_; }

protected:
    void AcquireContext() override;
    // The bitmap's own change handlers come before any hook a caller set.
    void BeforeModify() override;
    void AfterModify() override;

    friend class TBitmap;

private:
    TBitmap* bitmap_;
    gdi::HBITMAP oldBitmap_;
    gdi::HPALETTE oldPalette_;
};

class TBitmap : public TGraphic {
    VARDEL_GRAPHIC_CLASS(TBitmap)
public:
    TBitmap();
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    void Assign(const TPersistent* source) override;

    void Render(TCanvas& canvas, const gdi::RECT& rect) override;
    bool IsEmpty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    void SetSize(int width, int height);
    gdi::HPALETTE Palette() override;
    void SetPalette(const gdi::HPALETTE& palette) override;
    void LoadStream(TStream& stream) override;
    void SaveStream(TStream& stream) override;
    void LoadClipboard(uint16_t format, const std::vector<uint8_t>& data, const gdi::HPALETTE& palette) override;
    void SaveClipboard(uint16_t& format, std::vector<uint8_t>& data, gdi::HPALETTE& palette) override;

    // The drawing surface, made on first request.
    TCanvas& Surface();
    TPixelLayout PixelLayout() const;
    void SetPixelLayout(TPixelLayout layout);
    THandleKind HandleKind() const;
    void SetHandleKind(THandleKind kind);
    // Address of row `row` counted from the top; makes a section if needed.
    uint8_t* ScanRow(int row);
    // Takes ownership of a platform bitmap made by a reader; none empties the bitmap.
    void AttachHandle(gdi::HBITMAP handle);
    // The bitmap handle, for callers that draw on it (counts as a change).
    gdi::HBITMAP Handle();
    gdi::HBITMAP MaskHandle();
    bool Monochrome() const;

    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    // Fixed once a transparent colour is set, else the bottom-left pixel's colour.
    TTransparentMode TransparentMode() const {
        return transparentColor_ == clDefault ? TTransparentMode::Auto : TTransparentMode::Fixed;
    }

    // Read-only view of the image for callers that report on it.
    const TBitmapImage& Image() const { return *image_; }
    // How many bitmaps share this one's image.
    long ShareCount() const { return image_.use_count(); }
    // Releases the surface's context (pixels stay).
    void FreeContext();

    // Makes BMP reading build device-dependent images for every file. Off.
    static bool DeviceBitmapsOnly;

private:
    friend class TBitmapCanvas;

    // Before a change: copy on write, drop what the change outdates. Every pixel
    // written passes here, so the case with nothing to do stays inline.
    void Changing() {
        if (image_.get() != prepared_ || image_.use_count() != 1) PrepareChange();
    }
    void PrepareChange();
    // After a change.
    void Changed() {
        maskValid_ = false;
        NotifyChanged(this);
    }
    // Whether a change of pixels would find nothing to do: the image ready for changes
    // and not shared, the mask outdated, the notice of changed pixels kept in effect.
    bool PixelChangesQuiet() const {
        return image_.get() == prepared_ && image_.use_count() == 1 && !maskValid_ &&
               PixelNoticeKept();
    }
    // After drawing on the surface, which changes pixels and nothing else.
    void PixelsChanged() {
        maskValid_ = false;
        NotifyPixelsChanged(this);
    }
    void HandleNeeded();
    void PaletteNeeded();
    void MaskNeeded();
    void InstallImage(std::shared_ptr<TBitmapImage> image);
    void SetImageSize(int width, int height);
    // A new image of `header`'s format holding the current content. Bit-field masks
    // come from `masks` when given, else from the current image of the same depth.
    void CopyImage(const gdi::BITMAPINFOHEADER& header, const gdi::HPALETTE& palette,
                   const std::vector<gdi::RGBQUAD>* colors, bool monochrome,
                   const std::array<uint32_t, 3>* masks = nullptr);
    void ReloadKeptBytes();
    void ReadStream(TStream& stream, int64_t length);
    void WriteStream(TStream& stream);
    void EnsureSection();

    std::shared_ptr<TBitmapImage> image_;
    // The image that PrepareChange last made ready for changes: not shared then, nothing
    // kept that a change outdates. Every other image is checked at its first change.
    const TBitmapImage* prepared_ = nullptr;
    std::unique_ptr<TBitmapCanvas> canvas_;
    TColor transparentColor_ = clDefault;
    bool maskValid_ = false;
    bool noPaletteAvailable_ = false;
};

inline void TBitmapCanvas::BeforeModify() {
    bitmap_->Changing();
    TCanvas::BeforeModify();
}

inline void TBitmapCanvas::AfterModify() {
    bitmap_->PixelsChanged();
    TCanvas::AfterModify();
    if (!Hooked() && bitmap_->PixelChangesQuiet()) KeepQuiet();
}

}  // namespace vardel
