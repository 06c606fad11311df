// Cuts the encoder's bytes into data sub-blocks of at most 255 bytes, each written
// with its length byte in front.
#pragma once

#include <array>
#include <cstdint>

#include "platform/runtime/ByteOrder.h"
#include "platform/runtime/Streams.h"

namespace vardel {

class TGIFWriter {
  public:
    explicit TGIFWriter(TStream& stream) : stream_(stream) {}
    TGIFWriter(const TGIFWriter&) = delete;
    TGIFWriter& operator=(const TGIFWriter&) = delete;

    void WriteByte(uint8_t value) {
        buffer_[fill_++] = value;
        dirty_ = true;
        if (fill_ == buffer_.size()) Flush();
    }
    // Four bytes, least significant first.
    void WriteDWord(uint32_t value) {
        if (fill_ + 4 < buffer_.size()) {
            StoreLe32(&buffer_[fill_], value);
            fill_ += 4;
            dirty_ = true;
            return;
        }
        uint8_t bytes[4];
        StoreLe32(bytes, value);
        for (uint8_t b : bytes) WriteByte(b);
    }
    // Writes what is left as one last (shorter) sub-block. The terminating zero-length
    // block is the caller's.
    void Close() {
        if (dirty_) Flush();
    }

  private:
    void Flush();

    TStream& stream_;
    // Byte 0 is the length of the sub-block being filled; data goes to 1 to 255.
    std::array<uint8_t, 256> buffer_{};
    size_t fill_ = 1;
    bool dirty_ = false;
};

}  // namespace vardel
