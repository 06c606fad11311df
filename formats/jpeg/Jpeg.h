// The JPEG picture: keeps a JPEG file's bytes, reads only the header when loaded,
// and decodes through libjpeg into a bitmap the first time pixels are needed.
// Saving writes the kept bytes back unchanged; this module does not encode.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "formats/jpeg/JpegError.h"
#include "formats/jpeg/JpegSettings.h"
#include "graphics/Bitmap.h"
#include "graphics/Graphic.h"

namespace vardel {

inline constexpr const char* kJpegImageDescription = "JPEG Image File";
inline constexpr const char* kJpegSizeFixed = "Cannot change the size of a JPEG image";
inline constexpr const char* kJpegNothingToSave =
    "Cannot save this JPEG image: it holds no JPEG data and encoding is not supported";

// A loaded JPEG file and the facts of its header. Never changed once made, so
// pictures assigned from one another share it.
struct TJPEGData {
    std::optional<std::vector<uint8_t>> JpegBytes;  // absent until something is loaded
    int JpegHeight = 0;
    int JpegWidth = 0;
    bool JpegIsGray = false;
    bool JpegIsProgressive = false;  // for reports; decoding does not need it
};

class TJPEGImage : public TGraphic {
    VARDEL_GRAPHIC_CLASS(TJPEGImage)
  public:
    TJPEGImage();
    ~TJPEGImage() override;
    TJPEGImage(const TJPEGImage&) = delete;
    TJPEGImage& operator=(const TJPEGImage&) = delete;

    void Assign(const TPersistent* source) override;

    void Render(TCanvas& canvas, const gdi::RECT& rect) override;
    bool SameContent(const TGraphic* other) override;
    bool IsEmpty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    gdi::HPALETTE Palette() override;
    void SetPalette(const gdi::HPALETTE& palette) override;
    void SaveFile(std::string_view fileName) override;
    void LoadStream(TStream& stream) override;
    void SaveStream(TStream& stream) override;
    void LoadClipboard(uint16_t format, const std::vector<uint8_t>& data,
                       const gdi::HPALETTE& palette) override;
    void SaveClipboard(uint16_t& format, std::vector<uint8_t>& data,
                       gdi::HPALETTE& palette) override;

    // The decoded picture, decoding on the first call only. A decoding error is
    // raised once; the partly filled bitmap stays and is returned by later calls.
    TBitmap& DecodeBitmap();
    bool Decoded() const { return decodedBitmap_ != nullptr; }

    const TJPEGData& Data() const { return *sharedJpeg_; }
    bool Grayscale() const { return sharedJpeg_->JpegIsGray; }
    const TJPEGSettings& Settings() const { return settings_; }
    // New settings apply from the next decode (a decoded bitmap is dropped).
    void SetSettings(const TJPEGSettings& settings);

  protected:
    void AssignTo(TPersistent* dest) const override;

  private:
    void ReadJpeg(int64_t count, TStream& stream);
    void Decode(TBitmap& bitmap, const TJPEGData& data);
    void DropBitmap();
    void ComputeOutputSize() const;

    std::shared_ptr<const TJPEGData> sharedJpeg_;
    // Shared only with a decode in progress, which keeps it alive should a progress
    // subscriber drop it.
    std::shared_ptr<TBitmap> decodedBitmap_;
    // Output size at a reduced scale, computed by the library when asked for.
    mutable int outputWidth_ = 0;
    mutable int outputHeight_ = 0;
    mutable bool outputSizeStale_ = true;
    gdi::HPALETTE heldPalette_;  // used before a bitmap exists
    TJPEGSettings settings_;
};

// Module start-up: the OutputDepth default from the screen, then the registry rows
// "jpeg" and "jpg". Shutdown removes the rows.
void StartJpegModule();
void StopJpegModule();

}  // namespace vardel
