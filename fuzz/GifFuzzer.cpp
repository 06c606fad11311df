// Loads any bytes as a GIF picture. The reader's own errors are expected; anything
// else (a crash, a sanitizer report, another exception) is a finding.
#include <cstddef>
#include <cstdint>

#include "formats/gif/GifImage.h"
#include "platform/runtime/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vardel::TGIFImage image;
    vardel::TReadOnlyMemoryStream stream(data, size);
    try {
        image.LoadStream(stream);
    } catch (const vardel::Exception&) {
    }
    return 0;
}
