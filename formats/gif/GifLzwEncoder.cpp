#include "formats/gif/GifLzwEncoder.h"

#include <algorithm>

#include "formats/gif/GifBlockWriter.h"
#include "formats/gif/GifException.h"
#include "formats/gif/GifStreamIO.h"

namespace vardel {

namespace {

// The last code that gets a table entry; when the table reaches it the encoder
// starts over, so the decoder's table never overflows.
constexpr uint32_t kLastFreeCode = 4095;

struct TInterlacePass {
    int start, step;
};
constexpr std::array<TInterlacePass, 4> kPasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};

}  // namespace

void TLZWEncoder::WriteCode(TGIFWriter& writer, int code) {
    bits_ |= uint64_t(code) << bitCount_;
    bitCount_ += codeWidth_;
    while (bitCount_ >= 8) {
        writer.WriteByte(static_cast<uint8_t>(bits_));
        bits_ >>= 8;
        bitCount_ -= 8;
    }
    if (code == clearCode_) {
        codeWidth_ = minCodeSize_ + 1;
    } else if (freeCode_ >> codeWidth_) {
        // The decoder widens its codes once the free code no longer fits; the free
        // code stays below 4096, so the width stops at 12.
        ++codeWidth_;
    }
}

void TLZWEncoder::StartTable(TGIFWriter& writer) {
    WriteCode(writer, clearCode_);
    table_.Reset();
    freeCode_ = clearCode_ + 2;
}

void TLZWEncoder::EncodeRun(TGIFWriter& writer, const uint8_t* run, size_t count, unsigned limit,
                            int& prefixInOut) {
    // An index beyond the colour limit ends encoding where it stands; finding it
    // first keeps the check out of the loop (and away for 256-colour limits).
    const uint8_t* const stop =
        limit < 256
            ? std::find_if(run, run + count, [limit](uint8_t index) { return index >= limit; })
            : run + count;
    const uint8_t* next = run;
    uint32_t prefix = static_cast<uint32_t>(prefixInOut);
    if (prefixInOut < 0 && next < stop) prefix = *next++;

    // The hot state lives in locals (in registers): the writer's byte stores could
    // otherwise alias it.
    uint32_t* const slots = table_.Slots();
    uint64_t bits = bits_;
    int bitCount = bitCount_;
    int codeWidth = codeWidth_;
    uint32_t freeCode = static_cast<uint32_t>(freeCode_);
    while (next < stop) {
        const uint32_t index = *next++;
        const uint32_t key = (prefix << 8) | index;
        int h = THashTable::Home(key);
        uint32_t entry = slots[h];
        if ((entry >> 12) != key && !THashTable::IsFree(entry)) {
            const int step = THashTable::Step(h);
            do {
                h -= step;
                if (h < 0) h += THashTable::kSize;
                entry = slots[h];
            } while ((entry >> 12) != key && !THashTable::IsFree(entry));
        }
        if ((entry >> 12) == key) {
            prefix = entry & 0xFFF;
            continue;
        }
        // The string ends: its code is written, and the string extended by this
        // index gets the next free code.
        bits |= uint64_t{prefix} << bitCount;
        bitCount += codeWidth;
        if (bitCount >= 32) {
            // Codes gather in the accumulator and leave it four bytes at a time.
            writer.WriteDWord(static_cast<uint32_t>(bits));
            bits >>= 32;
            bitCount -= 32;
        }
        // The decoder widens its codes once the free code no longer fits.
        if (freeCode >> codeWidth) ++codeWidth;
        prefix = index;
        if (freeCode < kLastFreeCode) {
            slots[h] = (key << 12) | freeCode;
            ++freeCode;
        } else {
            // The decoder's table would be full: start afresh.
            bits_ = bits;
            bitCount_ = bitCount;
            codeWidth_ = codeWidth;
            StartTable(writer);
            bits = bits_;
            bitCount = bitCount_;
            codeWidth = codeWidth_;
            freeCode = static_cast<uint32_t>(freeCode_);
        }
    }
    bits_ = bits;
    bitCount_ = bitCount;
    codeWidth_ = codeWidth;
    freeCode_ = static_cast<int>(freeCode);
    prefixInOut = static_cast<int>(prefix);
    if (stop < run + count) throw GIFException(gifmsg::kColorNotInTable);
}

void TLZWEncoder::Encode(TStream& stream, int minCodeSize, int colorLimit, const uint8_t* pixels,
                         bool interlaced, int height, int width) {
    minCodeSize_ = std::max(minCodeSize, 2);
    WriteByte(stream, static_cast<uint8_t>(minCodeSize_));
    clearCode_ = 1 << minCodeSize_;
    const int endCode = clearCode_ + 1;
    codeWidth_ = minCodeSize_ + 1;
    freeCode_ = clearCode_ + 2;
    bits_ = 0;
    bitCount_ = 0;

    TGIFWriter writer(stream);
    if (pixels && width > 0 && height > 0) {
        StartTable(writer);
        const auto limit = static_cast<unsigned>(colorLimit);
        int prefix = -1;
        const auto rowBytes = static_cast<size_t>(width);
        if (!interlaced) {
            EncodeRun(writer, pixels, rowBytes * static_cast<size_t>(height), limit, prefix);
        } else {
            for (const TInterlacePass& pass : kPasses)
                for (int y = pass.start; y < height; y += pass.step)
                    EncodeRun(writer, pixels + static_cast<size_t>(y) * rowBytes, rowBytes, limit,
                              prefix);
        }
        WriteCode(writer, prefix);
    }
    WriteCode(writer, endCode);
    if (bitCount_ > 0) writer.WriteByte(static_cast<uint8_t>(bits_));
    bits_ = 0;
    bitCount_ = 0;
    writer.Close();
    WriteByte(stream, 0);
}

}  // namespace vardel
