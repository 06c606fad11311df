// The variable-width LZW decoder of GIF image data (GIF89a, section 22 and
// appendix F). It turns one frame's code stream into colour indices.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "formats/gif/GifBlockReader.h"
#include "platform/runtime/Streams.h"

namespace vardel {

class TGIFLZWDecoder {
  public:
    static constexpr int kMaxCodes = 4096;
    static constexpr int kStackSize = 8192;
    static constexpr int kMaxMinCodeSize = 11;

    // Warnings ("Premature end of data", "Decoder bit buffer under-run") go to warn.
    // With walkAlways every string is found by walking the table through the stack,
    // which is slower; it lets tests check the fast path against the plain one.
    explicit TGIFLZWDecoder(TGIFWarningSink warn, bool walkAlways = false)
        : warn_(std::move(warn)), walkAlways_(walkAlways) {}

    // Reads the minimum code size byte and the data sub-blocks at the stream's position
    // and stores width x height indices into pixels, rows top to bottom (in interlaced
    // row order when asked). Pixels the data does not reach are set to fill.
    // The stream is left after the frame's terminating zero-length block (or at its
    // end). A minimum code size above 11, a circular table entry or a string too
    // long for the stack raise GIFException.
    void DecodePixels(TStream& stream, uint8_t* pixels, uint32_t width, uint32_t height,
                      bool interlaced, uint8_t fill);

  private:
    // Next code of `size` bits, or -1 when the data has run out.
    int ReadCode(int size);
    bool Refill(int size);
    // One LZW step: reads a code and stores its string. False when decoding ends.
    bool DecodeNext();
    // The loop for frames stored in row order: strings are copied from where the
    // same string was stored before, instead of walking the table.
    void RunSequential();
    bool StartAfterClear();
    void ResetTable();
    void AddEntry(uint8_t first);
    // Stores a data code's string in the common case where every entry it touches was
    // defined from earlier codes; the string's length is then known in advance.
    void EmitKnown(int code);
    // The general walk for tables that hold entries defined from codes beyond the
    // table (malformed data): strings are found afresh each time through the stack.
    void EmitWalked(int code);
    void EnterWalkMode();
    // Output of decoded bytes into rows.
    void Put(const uint8_t* bytes, int count);
    void PutReversed(const uint8_t* bytes, int count);
    void NextRun();

    TGIFWarningSink warn_;
    bool walkAlways_;

    // From the stream.
    std::optional<TGIFBlockReader> blocks_;
    int minCodeSize_ = 0;

    // Bit reader: codes are packed least significant bit first.
    uint64_t bitBuffer_ = 0;
    int bitCount_ = 0;
    int blockPos_ = 0;
    int blockLen_ = 0;
    bool done_ = false;  // the zero-length block was met
    std::array<uint8_t, TGIFBlockReader::kMaxBlock> block_{};

    // Code table.
    int clearValue_ = 0;
    int endValue_ = 0;
    int codeSize_ = 0;
    int freeCode_ = 0;
    int nextLimit_ = 0;
    int oldCode_ = 0;
    uint8_t firstCode_ = 0;  // first byte of the previous string
    bool walkMode_ = false;
    std::array<uint16_t, kMaxCodes> prefix_{};
    std::array<uint8_t, kMaxCodes> suffix_{};
    std::array<uint16_t, kMaxCodes> length_{};
    // The sequential loop's table: where each entry's string was stored, its length
    // and its prefix code. The string's last byte there is the entry's suffix, so the
    // walk's tables can be rebuilt from it when malformed data calls for the walk.
    struct TEntry {
        uint32_t position;
        uint16_t length;
        uint16_t prefix;
    };
    std::array<TEntry, kMaxCodes> entries_{};
    bool sequential_ = false;
    // The literal codes' one-byte strings, with room for reading 16 bytes from any.
    std::array<uint8_t, kMaxCodes / 2 + 16> literals_{};
    uint32_t previousStart_ = 0;  // where the previous string was stored, and its length
    uint32_t previousLength_ = 0;
    std::array<uint8_t, kStackSize> stack_{};

    // Output: the current run of contiguous pixels (the whole image, or one row
    // when interlaced).
    uint8_t* pixels_ = nullptr;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    bool interlaced_ = false;
    uint8_t* runPos_ = nullptr;
    uint8_t* runEnd_ = nullptr;
    uint32_t row_ = 0;
    uint32_t rowsLeft_ = 0;
    int pass_ = 0;
    bool full_ = false;
};

}  // namespace vardel
