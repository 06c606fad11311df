// The TIFF reader's fuzz entry. The reader opens files by name, so each input is
// written to a temporary file of this process first, and removed after the load.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "formats/tiff/ReadTiff.h"
#include "fuzz/FuzzTargets.h"
#include "graphics/Bitmap.h"
#include "platform/runtime/Exceptions.h"
#include "platform/ui/Dialogs.h"

namespace vardel::fuzz {

namespace {

const std::string& InputPath() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("vardel-tiff-fuzz-" + std::to_string(::getpid()) + ".tif"))
                                        .string();
    return path;
}

void WriteInput(const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

TDialogProviders Quiet() {
    TDialogProviders providers = DialogProviders();
    providers.messageDialog = [](const std::string&, const std::string&) {};
    return providers;
}

}  // namespace

void FuzzTiff(const uint8_t* data, size_t size) {
    TScopedDialogProviders quiet(Quiet());
    WriteInput(data, size);
    TBitmap target;
    try {
        ReadTiffFile(InputPath(), target);
    } catch (const ERangeError&) {
        // Too many directories or a side beyond 65535: the reader's own outcome.
    } catch (const EOutOfMemory&) {
        // A declared picture past the limit.
    }
    std::remove(InputPath().c_str());
    // Read the decoded pixels back, so that what was handed over is used.
    if (!target.IsEmpty()) target.Surface().ReadPixel(target.Width() - 1, target.Height() - 1);
}

}  // namespace vardel::fuzz
