// The PNG picture: a bitmap kind, read and written as PNG through the graphics
// layer's libpng codec, so every pixel command works on it directly.
//
// A PNG opens as a 24-bit bitmap, or as a 32-bit one whose fourth byte is the alpha
// when the file can say transparency (an alpha channel or a tRNS chunk). Pixel
// commands change the colours and leave that byte alone; drawing mixes the picture
// over what lies beneath by it. Saving writes 8 bits a channel, with alpha when some
// pixel is not opaque, so opening and saving loses only a 16-bit file's lower bits.
#pragma once

#include "graphics/Bitmap.h"

namespace vardel {

inline constexpr const char* kPngDescription = "Portable Network Graphics";
// The reason is libpng's (or ours for data that ends early).
inline constexpr const char* kPngInvalid = "PNG image is not valid (%s)";
inline constexpr const char* kPngNotWritten = "PNG image could not be written (%s)";

// What the loaded file said of itself, for reports; it does not change with edits.
struct TPngFileFacts {
    int bitDepth = 0;   // bits a sample: 1, 2, 4, 8 or 16
    int colorType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    bool interlaced = false;
};

class TPngImage : public TBitmap {
    VARDEL_GRAPHIC_CLASS(TPngImage)
  public:
    TPngImage() = default;

    // From another PNG picture: its pixels (shared until one changes), alpha and facts.
    // From any other bitmap: its pixels, with no alpha.
    void Assign(const TPersistent* source) override;
    void Render(TCanvas& canvas, const gdi::RECT& rect) override;
    // A change that leaves the pixels in another layout (fewer bits, a device bitmap)
    // drops the alpha for good: converted back to 32 bits, the fourth byte means nothing.
    void NotifyChanged(TObject* sender) override;
    // Refuses damaged files with kPngInvalid and images past the 1 GiB limit with
    // "Out of memory"; either way the picture keeps what it had.
    void LoadStream(TStream& stream) override;
    void SaveStream(TStream& stream) override;

    // Whether the fourth byte of the pixels is alpha: a 32-bit image from a file with
    // transparency.
    bool HasAlpha() const;
    const TPngFileFacts& FileFacts() const { return facts_; }

  private:
    bool alpha_ = false;
    TPngFileFacts facts_;
};

// Module start-up: the registry row "png". Shutdown removes it.
void StartPngModule();
void StopPngModule();

}  // namespace vardel
