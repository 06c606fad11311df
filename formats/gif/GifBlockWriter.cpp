#include "formats/gif/GifBlockWriter.h"

namespace vardel {

void TGIFWriter::Flush() {
    buffer_[0] = static_cast<uint8_t>(fill_ - 1);
    stream_.WriteBuffer(buffer_.data(), fill_);
    fill_ = 1;
    dirty_ = false;
}

}  // namespace vardel
