#include "tests/tiff/TiffTestSupport.h"

#include <cstdlib>
#include <filesystem>

namespace vardel::testing {

namespace {
TDialogProviders Logging(std::vector<std::string>* texts) {
    TDialogProviders providers = DialogProviders();
    providers.messageDialog = [texts](const std::string& text, const std::string&) {
        texts->push_back(text);
    };
    return providers;
}
}  // namespace

TMessageLog::TMessageLog() : guard_(Logging(&texts_)) {}

std::vector<TColor> PixelsOf(TBitmap& bitmap) {
    std::vector<TColor> out;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) out.push_back(bitmap.Surface().ReadPixel(x, y));
    return out;
}

std::string CorpusDir() {
    const char* fromEnvironment = std::getenv("VARDEL_CORPUS_DIR");
    const std::string dir =
        fromEnvironment && *fromEnvironment ? fromEnvironment : VARDEL_CORPUS_DIR;
    return std::filesystem::is_directory(dir) ? dir : std::string();
}

}  // namespace vardel::testing
