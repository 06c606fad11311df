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
    TMessageLog() : guard_(Providers(this)) {}
    const std::vector<std::string>& Texts() const { return texts_; }
    void Clear() { texts_.clear(); }

  private:
    static TDialogProviders Providers(TMessageLog* log) {
        TDialogProviders providers = DialogProviders();
        providers.messageDialog = [log](const std::string& text, const std::string&) {
            log->texts_.push_back(text);
        };
        return providers;
    }
    std::vector<std::string> texts_;
    TScopedDialogProviders guard_;
};

// The bitmap's pixels as colour values 0x00BBGGRR, rows from the top.
inline std::vector<TColor> PixelsOf(TBitmap& bitmap) {
    std::vector<TColor> out;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) out.push_back(bitmap.Surface().ReadPixel(x, y));
    return out;
}

constexpr TColor Grey(int level) {
    return level * 0x010101;
}
constexpr TColor Rgb(int r, int g, int b) {
    return r | g << 8 | b << 16;
}

// The folder of the public corpus: $VARDEL_CORPUS_DIR when set, else the one next to
// the source tree; empty when neither exists.
std::string CorpusDir();

}  // namespace vardel::testing
