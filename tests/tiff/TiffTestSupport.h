// Loading TIFF files in tests: the messages the reader shows, the pixels it makes and
// libtiff's pixels of the same file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/tiff/ReadTiff.h"
#include "graphics/Bitmap.h"
#include "platform/ui/Dialogs.h"
#include "tests/tiff/TiffBuilder.h"

namespace vardel::testing {

// Collects the texts of the message dialog while it lives.
class TMessageLog {
  public:
    TMessageLog();
    const std::vector<std::string>& Texts() const { return texts_; }

  private:
    std::vector<std::string> texts_;
    TScopedDialogProviders guard_;
};

constexpr TColor Grey(int level) {
    return level * 0x010101;
}
constexpr TColor Rgb(int r, int g, int b) {
    return r | g << 8 | b << 16;
}

// The bitmap's pixels as colour values 0x00BBGGRR, rows from the top.
std::vector<TColor> PixelsOf(TBitmap& bitmap);

struct TPicture {
    int width = 0;
    int height = 0;
    std::vector<TColor> pixels;
    bool operator==(const TPicture&) const = default;
};

// libtiff's picture of the file's last directory: its RGBA image, except that pixels
// with samples after red, green and blue come from the rows as stored (the RGBA image
// premultiplies them by their alpha).
std::optional<TPicture> LibtiffPicture(const std::string& path);

// The folder of the public corpus: $VARDEL_CORPUS_DIR when set, else the one next to
// the source tree; empty when neither exists.
std::string CorpusDir();

}  // namespace vardel::testing
