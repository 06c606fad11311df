#include "formats/gif/GifLzwEncoder.h"

#include <algorithm>

#include "formats/gif/GifBlockWriter.h"
#include "formats/gif/GifException.h"
#include "formats/gif/GifStreamIO.h"

namespace vardel {

namespace {

constexpr int kMaxCodeWidth = 12;
// The last code that gets a table entry; when the table reaches it the encoder
// starts over, so the decoder's table never overflows.
constexpr int kLastFreeCode = 4095;

struct TInterlacePass {
    int start, step;
};
constexpr std::array<TInterlacePass, 4> kPasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};

int WidthLimit(int width) {
    return width >= kMaxCodeWidth ? 4096 : (1 << width) - 1;
}

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
        widthLimit_ = WidthLimit(codeWidth_);
    } else if (freeCode_ > widthLimit_) {
        ++codeWidth_;
        widthLimit_ = WidthLimit(codeWidth_);
    }
}

void TLZWEncoder::StartTable(TGIFWriter& writer) {
    WriteCode(writer, clearCode_);
    table_.Reset();
    freeCode_ = clearCode_ + 2;
}

void TLZWEncoder::Encode(TStream& stream, int minCodeSize, int colorLimit, const uint8_t* pixels,
                         bool interlaced, int height, int width) {
    minCodeSize_ = std::max(minCodeSize, 2);
    WriteByte(stream, static_cast<uint8_t>(minCodeSize_));
    clearCode_ = 1 << minCodeSize_;
    const int endCode = clearCode_ + 1;
    codeWidth_ = minCodeSize_ + 1;
    widthLimit_ = WidthLimit(codeWidth_);
    freeCode_ = clearCode_ + 2;
    bits_ = 0;
    bitCount_ = 0;

    TGIFWriter writer(stream);
    if (pixels && width > 0 && height > 0) {
        StartTable(writer);
        const auto limit = static_cast<unsigned>(colorLimit);
        int prefix = -1;
        auto encodeRun = [&](const uint8_t* run, size_t count) {
            size_t i = 0;
            if (prefix < 0) {
                if (run[0] >= limit) throw GIFException(gifmsg::kColorNotInTable);
                prefix = run[0];
                i = 1;
            }
            for (; i < count; ++i) {
                const unsigned index = run[i];
                if (index >= limit) throw GIFException(gifmsg::kColorNotInTable);
                const uint32_t key = (static_cast<uint32_t>(prefix) << 8) | index;
                int slot;
                const int code = table_.Find(key, slot);
                if (code >= 0) {
                    prefix = code;
                    continue;
                }
                WriteCode(writer, prefix);
                prefix = static_cast<int>(index);
                if (freeCode_ >= kLastFreeCode) {
                    StartTable(writer);
                } else {
                    table_.Insert(slot, key, freeCode_);
                    ++freeCode_;
                }
            }
        };
        const auto rowBytes = static_cast<size_t>(width);
        if (!interlaced) {
            encodeRun(pixels, rowBytes * static_cast<size_t>(height));
        } else {
            for (const TInterlacePass& pass : kPasses)
                for (int y = pass.start; y < height; y += pass.step)
                    encodeRun(pixels + static_cast<size_t>(y) * rowBytes, rowBytes);
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
