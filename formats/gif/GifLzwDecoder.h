// The variable-width LZW decoder of GIF image data (GIF89a, section 22 and
// appendix F). It turns one frame's code stream into colour indices.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
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
    // The bits read ahead of the codes: codes are packed least significant bit first,
    // in the sub-block held in block_.
    struct TBits {
        uint64_t buffer = 0;
        int count = 0;
        int blockPos = 0;
        int blockLen = 0;

        // Eight bytes of the sub-block at once, as many as the buffer takes, where the
        // block still holds eight (the load is little-endian).
        void TakeWord(const uint8_t* block) {
            if constexpr (std::endian::native == std::endian::little) {
                if (blockLen - blockPos >= 8) {
                    uint64_t word;
                    std::memcpy(&word, block + blockPos, 8);
                    buffer |= word << count;
                    const int taken = (63 - count) >> 3;
                    blockPos += taken;
                    count += taken * 8;
                }
            }
        }
        int Take(int size) {
            const int code = static_cast<int>(buffer & ((uint64_t{1} << size) - 1));
            buffer >>= size;
            count -= size;
            return code;
        }
    };

    // The state of the code table between two codes.
    struct TCodes {
        int codeSize = 0;
        int freeCode = 0;
        int nextLimit = 0;
        int oldCode = 0;
        uint8_t firstCode = 0;  // first byte of the previous string
        // Where the sequential loop stored the previous string, and its length.
        uint32_t previousStart = 0;
        uint32_t previousLength = 0;

        // A new entry took the free code: codes widen when it no longer fits.
        void Defined() {
            if (++freeCode >= nextLimit && nextLimit < kMaxCodes) {
                nextLimit *= 2;
                ++codeSize;
            }
        }
    };

    // One entry of the code table: its prefix code and the length of its string, and
    // for the sequential loop where the string was stored. The string's last byte
    // (the entry's suffix) is there too; the plain loop keeps it in suffix_.
    struct TEntry {
        uint32_t position;
        uint16_t length;
        uint16_t prefix;
    };

    // Next code of `size` bits, or -1 when the data has run out.
    int ReadCode(int size);
    // Fills the bit buffer from the sub-blocks until it holds `size` bits; false when
    // the data has run out.
    bool Refill(int size);
    // One LZW step: reads a code and stores its string. False when decoding ends.
    bool DecodeNext();
    // The loop for frames stored in row order: strings are copied from where the
    // same string was stored before, instead of walking the table.
    void RunSequential();
    // Stores at `out` the string of a data code met by the sequential loop (pixels
    // from base to end) and defines the next entry; returns the new output position.
    // The loop passes what it holds in registers.
    uint8_t* StoreSequential(int code, int clear, uint8_t* base, uint8_t* out, uint8_t* end,
                             TCodes& codes);
    // Malformed data hands the codes to the walk until a clear code starts a sound
    // table again. False when decoding has ended.
    bool WalkUntilClear();
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
    TBits bits_;
    bool done_ = false;  // the zero-length block was met
    std::array<uint8_t, TGIFBlockReader::kMaxBlock> block_{};

    // Code table.
    int clearValue_ = 0;
    int endValue_ = 0;
    TCodes codes_;
    bool walkMode_ = false;
    bool sequential_ = false;
    std::array<TEntry, kMaxCodes> entries_{};
    std::array<uint8_t, kMaxCodes> suffix_{};
    // The literal codes' one-byte strings, with room for reading 16 bytes from any.
    std::array<uint8_t, kMaxCodes / 2 + 16> literals_{};
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
