// The GIF graphic kind and its object model: the header with the logical screen and
// global colour map, the frames in file order with their extensions, local colour
// maps and pixel indices.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/gif/GifColorMap.h"
#include "formats/gif/GifExtensions.h"
#include "formats/gif/GifItem.h"
#include "graphics/Graphic.h"

namespace vardel {

class TGIFImage;

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

    // From the image descriptor.
    uint8_t Separator = kImageSeparator;
    uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t FrameFlags = 0;
    // Set while reading when a graphic control block of the frame names a
    // transparent colour.
    bool IsTransparent = false;
    std::vector<uint8_t> Pixels;

  private:
    void DecodePixels(TStream& stream, uint64_t pixelBytesBefore);

    TGIFExtensionList extensions_;
    TGIFLocalColorMap localColorMap_;
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

class TGIFImage : public TGraphic {
    VARDEL_GRAPHIC_CLASS(TGIFImage)

  public:
    TGIFImage();
    ~TGIFImage() override;

    TGIFHeader& Header() { return header_; }
    const TGIFHeader& Header() const { return header_; }
    TGIFImageList& Frames() { return frames_; }
    const TGIFImageList& Frames() const { return frames_; }
    // The version that writing needs: the highest of the frames', none without frames.
    TGIFVersion Version() const;
    // No frames, an empty global map and a 0 x 0 screen.
    void Clear();

    void Render(TCanvas& canvas, const gdi::RECT& rect) override;
    bool SameContent(const TGraphic* other) override { return other == this; }
    bool IsEmpty() const override { return frames_.Empty(); }
    int Width() const override { return header_.ScreenWidth; }
    int Height() const override { return header_.ScreenHeight; }
    // A screen smaller than a frame's extent is refused.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
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

  private:
    TGIFHeader header_;
    TGIFImageList frames_;
};

}  // namespace vardel
