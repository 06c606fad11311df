// Loading TIFF files in tests: the messages the reader shows and the pixels it makes.
#pragma once

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

// The folder of the public corpus: $VARDEL_CORPUS_DIR when set, else the one next to
// the source tree; empty when neither exists.
std::string CorpusDir();

}  // namespace vardel::testing
