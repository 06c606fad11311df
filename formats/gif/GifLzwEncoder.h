// Encoders of a frame's pixel indices into GIF image data: the minimum code size
// byte, the data sub-blocks and the terminator.
#pragma once

#include <array>
#include <cstdint>

#include "platform/runtime/Streams.h"

namespace vardel {

class TGIFWriter;

class TGIFEncoder {
  public:
    virtual ~TGIFEncoder() = default;
    // Encodes width x height indices (rows top to bottom), taking the rows in
    // interlaced order when asked. Every index must be below colorLimit, else
    // GIFException "Color not in color table".
    virtual void Encode(TStream& stream, int minCodeSize, int colorLimit, const uint8_t* pixels,
                        bool interlaced, int height, int width) = 0;
};

// Open-addressed table of the strings seen so far: an entry holds key x 4096 + code,
// where the key is prefix code x 256 + next index; all-one upper bits mark a free slot.
class THashTable {
  public:
    static constexpr int kSize = 8009;  // a prime, so every probe path visits all slots

    void Reset() { slots_.fill(kFree); }
    // Home slot and probe step of a key: the encoder probes from the home slot down,
    // by the step, until it meets the key or a free slot.
    static int Home(uint32_t key) {
        // (key xor key / 16) mod kSize, the remainder taken by multiplication (Lemire,
        // "Faster remainder by direct computation", 2019); 32 bits are exact for the
        // 20-bit keys.
        constexpr uint32_t kInverse = 0xFFFFFFFFu / kSize + 1;
        const uint32_t fraction = kInverse * (key ^ (key >> 4));
        return static_cast<int>((uint64_t{fraction} * kSize) >> 32);
    }
    static int Step(int home) { return home == 0 ? 1 : kSize - home; }
    static bool IsFree(uint32_t entry) { return (entry >> 12) == kFreeKey; }
    uint32_t* Slots() { return slots_.data(); }

  private:
    static constexpr uint32_t kFree = 0xFFFFFFFF;
    static constexpr uint32_t kFreeKey = 0xFFFFF;
    std::array<uint32_t, kSize> slots_{};
};

// Variable-width LZW (GIF89a, appendix F) with a table of 4096 codes; a full table
// is started afresh with a clear code.
class TLZWEncoder : public TGIFEncoder {
  public:
    void Encode(TStream& stream, int minCodeSize, int colorLimit, const uint8_t* pixels,
                bool interlaced, int height, int width) override;

  private:
    // Encodes count indices that continue the string `prefix` (-1 before the first).
    void EncodeRun(TGIFWriter& writer, const uint8_t* run, size_t count, unsigned limit,
                   int& prefix);
    void WriteCode(TGIFWriter& writer, int code);
    void StartTable(TGIFWriter& writer);

    int minCodeSize_ = 0;
    int clearCode_ = 0;
    int codeWidth_ = 0;  // bits of the next code
    int freeCode_ = 0;
    uint64_t bits_ = 0;  // accumulator, least significant bit first
    int bitCount_ = 0;
    THashTable table_;
};

}  // namespace vardel
