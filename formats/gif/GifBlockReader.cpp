#include "formats/gif/GifBlockReader.h"

#include <array>

#include "formats/gif/GifException.h"

namespace vardel {

int TGIFBlockReader::ReadBlock(uint8_t* buffer) {
    if (terminatorSeen_) return 0;
    if (endOfStream_) return -1;
    const int size = stream_.ReadByte();
    if (size < 0) {
        endOfStream_ = true;
        return -1;
    }
    if (size == 0) {
        terminatorSeen_ = true;
        return 0;
    }
    const size_t got = stream_.Read(buffer, static_cast<size_t>(size));
    if (got < static_cast<size_t>(size)) {
        warn_(gifmsg::kPrematureEnd);
        endOfStream_ = true;
        // Nothing left at all is the end of the stream, not a terminator.
        if (got == 0) return -1;
    }
    return static_cast<int>(got);
}

void TGIFBlockReader::SkipRest() {
    std::array<uint8_t, kMaxBlock> scratch;
    while (ReadBlock(scratch.data()) > 0) {
    }
}

}  // namespace vardel
