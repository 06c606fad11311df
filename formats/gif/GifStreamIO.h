// Checked byte-level reading and writing shared by every block of a GIF stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/Streams.h"

namespace vardel {

// Reads exactly n bytes or raises GIFException "Premature end of data".
void ReadExact(TStream& stream, void* buffer, size_t n);
// One byte that must be there ("Premature end of data" otherwise).
uint8_t ReadExactByte(TStream& stream);
// Steps over up to n bytes (n at most 255); returns how many were there.
size_t SkipBytes(TStream& stream, size_t n);
// Steps back over the byte just read.
inline void StepBack(TStream& stream) {
    stream.Seek(-1, SeekOrigin::Current);
}

// Data sub-blocks (a size byte and that many bytes, ended by a zero size) as one
// string each. The end of the stream ends the list quietly; a sub-block that promises
// more bytes than there are raises "Premature end of data".
void ReadSubBlockStrings(TStream& stream, std::vector<std::string>& lines);
// Each line cut into sub-blocks of at most 255 bytes; empty lines write nothing. The
// terminating zero is the caller's.
void WriteSubBlockStrings(TStream& stream, const std::vector<std::string>& lines);

void WriteByte(TStream& stream, uint8_t value);
void WriteWord(TStream& stream, uint16_t value);   // little-endian
void WriteDWord(TStream& stream, uint32_t value);  // little-endian

}  // namespace vardel
