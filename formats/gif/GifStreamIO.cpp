#include "formats/gif/GifStreamIO.h"

#include <algorithm>
#include <array>

#include "formats/gif/GifException.h"
#include "platform/runtime/ByteOrder.h"

namespace vardel {

void ReadExact(TStream& stream, void* buffer, size_t n) {
    if (n != 0 && stream.Read(buffer, n) != n) throw GIFException(gifmsg::kPrematureEnd);
}

uint8_t ReadExactByte(TStream& stream) {
    const int b = stream.ReadByte();
    if (b < 0) throw GIFException(gifmsg::kPrematureEnd);
    return static_cast<uint8_t>(b);
}

size_t SkipBytes(TStream& stream, size_t n) {
    // Reading rather than seeking keeps the position inside the stream, so that a
    // skip past the end behaves like any other read at the end.
    std::array<uint8_t, 256> scratch;
    return stream.Read(scratch.data(), std::min(n, scratch.size()));
}

void ReadSubBlockStrings(TStream& stream, std::vector<std::string>& lines) {
    lines.clear();
    int size = stream.ReadByte();
    while (size > 0) {
        std::string line(static_cast<size_t>(size), '\0');
        ReadExact(stream, line.data(), line.size());
        lines.push_back(std::move(line));
        size = stream.ReadByte();
    }
}

void WriteSubBlockStrings(TStream& stream, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        for (size_t at = 0; at < line.size(); at += 255) {
            const size_t piece = std::min<size_t>(255, line.size() - at);
            WriteByte(stream, static_cast<uint8_t>(piece));
            stream.WriteBuffer(line.data() + at, piece);
        }
    }
}

void WriteByte(TStream& stream, uint8_t value) {
    stream.WriteBuffer(&value, 1);
}

void WriteWord(TStream& stream, uint16_t value) {
    uint8_t bytes[2];
    StoreLe16(bytes, value);
    stream.WriteBuffer(bytes, 2);
}

void WriteDWord(TStream& stream, uint32_t value) {
    uint8_t bytes[4];
    StoreLe32(bytes, value);
    stream.WriteBuffer(bytes, 4);
}

}  // namespace vardel
