// The data sub-blocks of one frame's image data (GIF89a, section 15): a size byte,
// that many bytes, and so on until a zero size. The LZW decoder sees only the bytes.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/runtime/Streams.h"

namespace vardel {

using TGIFWarningSink = std::function<void(const char* message)>;

class TGIFBlockReader {
  public:
    static constexpr int kMaxBlock = 255;

    TGIFBlockReader(TStream& stream, TGIFWarningSink warn)
        : stream_(stream), warn_(std::move(warn)) {}

    // Reads the next sub-block into buffer (room for kMaxBlock bytes) and returns its
    // length, 0 for the terminating zero-length block, or -1 at the end of the stream.
    // A sub-block that promises more bytes than the stream holds is shortened to
    // what is there, with the warning "Premature end of data".
    int ReadBlock(uint8_t* buffer);
    // Steps over the remaining sub-blocks up to and including the terminator.
    void SkipRest();

    bool TerminatorSeen() const { return terminatorSeen_; }
    bool EndOfStream() const { return endOfStream_; }

  private:
    TStream& stream_;
    TGIFWarningSink warn_;
    bool terminatorSeen_ = false;
    bool endOfStream_ = false;
};

}  // namespace vardel
