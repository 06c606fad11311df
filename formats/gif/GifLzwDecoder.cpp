#include "formats/gif/GifLzwDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "formats/gif/GifException.h"

namespace vardel {

namespace {

// Interlaced frames store rows 0, 8, 16, ...; then 4, 12, ...; then 2, 6, ...; then
// 1, 3, 5, ... (GIF89a, appendix E).
struct TInterlacePass {
    uint32_t start, step;
};
constexpr std::array<TInterlacePass, 4> kPasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};

}  // namespace

void TGIFLZWDecoder::DecodePixels(TStream& stream, uint8_t* pixels, uint32_t width, uint32_t height,
                                  bool interlaced, uint8_t fill) {
    const uint64_t total = uint64_t{width} * height;
    const bool sequential = !interlaced && !walkAlways_;
    sequential_ = sequential;
    // The sequential loop fills what it does not reach when it ends; the others
    // store into a filled frame.
    if (!sequential && total > 0) std::memset(pixels, fill, total);
    blocks_.emplace(stream, warn_);
    const int minCodeSize = stream.ReadByte();
    if (minCodeSize < 0) {
        if (total > 0) std::memset(pixels, fill, total);
        return;
    }
    // The tables hold 4096 codes, so a larger clear code could not be decoded.
    if (minCodeSize > kMaxMinCodeSize) throw GIFException(gifmsg::kCodeSize);
    if (total == 0) {
        // Nothing to store (and no buffer to store it in): only the data is passed.
        blocks_->SkipRest();
        return;
    }

    minCodeSize_ = minCodeSize;
    clearValue_ = 1 << minCodeSize_;
    endValue_ = clearValue_ + 1;
    for (int i = 0; i < clearValue_; ++i) {
        entries_[static_cast<size_t>(i)] = {0, 1, 0};
        suffix_[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
        literals_[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    }
    bits_ = {};
    done_ = false;

    pixels_ = pixels;
    width_ = width;
    height_ = height;
    interlaced_ = interlaced;
    full_ = total == 0;
    runPos_ = pixels;
    runEnd_ = pixels + (interlaced ? width : total);
    row_ = 0;
    pass_ = 0;
    rowsLeft_ = height;

    // The first code is taken as a clear code whether or not the data starts with
    // one, so the table is always set up before the first data code.
    if (sequential) {
        if (!full_ && StartAfterClear()) RunSequential();
        // Everything from where decoding stopped on was not reached.
        std::memset(runPos_, fill, static_cast<size_t>(runEnd_ - runPos_));
    } else if (!full_ && StartAfterClear()) {
        while (!full_ && DecodeNext()) {
        }
    }
    // Whatever ended decoding (all pixels stored, an end code, data that ran out),
    // the stream moves on past the frame's terminator, so that codes beyond the
    // frame's pixels never pass for blocks of the stream.
    if (!blocks_->TerminatorSeen() && !blocks_->EndOfStream()) blocks_->SkipRest();
}

bool TGIFLZWDecoder::Refill(int size) {
    for (;;) {
        bits_.TakeWord(block_.data());
        while (bits_.count <= 56 && bits_.blockPos < bits_.blockLen) {
            bits_.buffer |= uint64_t{block_[static_cast<size_t>(bits_.blockPos++)]} << bits_.count;
            bits_.count += 8;
        }
        if (bits_.count >= size) return true;
        if (done_) {
            if (bits_.count == 0) warn_(gifmsg::kBitUnderrun);
            return false;
        }
        const int n = blocks_->ReadBlock(block_.data());
        if (n < 0) return false;
        if (n == 0) {
            done_ = true;
            if (bits_.count == 0) {
                warn_(gifmsg::kBitUnderrun);
                return false;
            }
            // The terminator cut this code short: its missing high bits are zeros
            // (the buffer holds zeros above the count).
            bits_.count = size;
            return true;
        }
        bits_.blockPos = 0;
        bits_.blockLen = n;
    }
}

inline int TGIFLZWDecoder::ReadCode(int size) {
    if (bits_.count < size && !Refill(size)) return -1;
    return bits_.Take(size);
}

void TGIFLZWDecoder::ResetTable() {
    codes_.codeSize = minCodeSize_ + 1;
    codes_.nextLimit = 2 * clearValue_;
    codes_.freeCode = clearValue_ + 2;
    walkMode_ = false;
    if (walkAlways_) EnterWalkMode();
}

bool TGIFLZWDecoder::StartAfterClear() {
    ResetTable();
    int code;
    do {
        code = ReadCode(codes_.codeSize);
    } while (code == clearValue_);
    // An end code right after a clear ends the data; it is no pixel.
    if (code < 0 || code == endValue_) return false;
    codes_.firstCode = static_cast<uint8_t>(code);
    codes_.oldCode = code;
    codes_.previousStart = static_cast<uint32_t>(runPos_ - pixels_);
    codes_.previousLength = 1;
    Put(&codes_.firstCode, 1);
    // A first code beyond the literals names no entry yet; what later entries built
    // on it mean can only be found by walking.
    if (code >= clearValue_) EnterWalkMode();
    return true;
}

bool TGIFLZWDecoder::DecodeNext() {
    const int code = ReadCode(codes_.codeSize);
    if (code < 0) return false;
    if (code == clearValue_) return StartAfterClear();
    if (code == endValue_) return false;
    if (walkMode_) {
        EmitWalked(code);
    } else if (code < codes_.freeCode) {
        EmitKnown(code);
        AddEntry(codes_.firstCode);
        codes_.oldCode = code;
    } else if (code == codes_.freeCode) {
        // The string being defined right now: the previous string plus its own first
        // byte. Defining it first lets it be stored like any other.
        AddEntry(codes_.firstCode);
        EmitKnown(code);
        codes_.oldCode = code;
    } else {
        EnterWalkMode();
        EmitWalked(code);
    }
    return true;
}

bool TGIFLZWDecoder::WalkUntilClear() {
    bool more = true;
    while (more && !full_ && walkMode_) more = DecodeNext();
    return more && !full_;
}

namespace {

// Copies a string that does not overlap its source, without a call for the short
// strings that make up most of an image.
inline void CopyString(uint8_t* to, const uint8_t* from, size_t count) {
    if (count >= 8 && count <= 16) {
        uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + count - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + count - 8, &tail, 8);
    } else if (count >= 4 && count < 8) {
        uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + count - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + count - 4, &tail, 4);
    } else if (count < 4) {
        for (size_t i = 0; i < count; ++i) to[i] = from[i];
    } else {
        std::memcpy(to, from, count);
    }
}

// Copies a string in whole 16-byte pieces, the first one always. The bytes written
// past the string are overwritten by the strings that follow, or filled at the end.
// The source ends before `to`, so no piece needs what another wrote; each piece is
// read whole before it is written. Returns the first byte.
inline uint8_t CopyPieces(uint8_t* to, const uint8_t* from, uint32_t count) {
    uint64_t low, high;
    std::memcpy(&low, from, 8);
    std::memcpy(&high, from + 8, 8);
    std::memcpy(to, &low, 8);
    std::memcpy(to + 8, &high, 8);
    for (uint32_t at = 16; at < count; at += 16) {
        uint64_t nextLow, nextHigh;
        std::memcpy(&nextLow, from + at, 8);
        std::memcpy(&nextHigh, from + at + 8, 8);
        std::memcpy(to + at, &nextLow, 8);
        std::memcpy(to + at + 8, &nextHigh, 8);
    }
    return *to;
}

}  // namespace

void TGIFLZWDecoder::RunSequential() {
    // The hot state is copied into locals, where stores of pixel bytes cannot alias
    // it, and back around every call that works on the members.
    TBits bits = bits_;
    TCodes codes = codes_;
    uint8_t* out = runPos_;
    const auto save = [&] {
        bits_ = bits;
        codes_ = codes;
        runPos_ = out;
    };
    const auto load = [&] {
        bits = bits_;
        codes = codes_;
        out = runPos_;
    };

    if (walkMode_) {
        const bool more = WalkUntilClear();
        load();
        if (!more) return;
    }
    uint8_t* const base = pixels_;
    uint8_t* const end = runEnd_;
    const int clear = clearValue_;
    while (out < end) {
        if (bits.count < codes.codeSize) {
            bits.TakeWord(block_.data());
            if (bits.count < codes.codeSize) {
                save();
                const bool more = Refill(codes.codeSize);
                load();
                if (!more) break;
            }
        }
        const int code = bits.Take(codes.codeSize);
        if (static_cast<unsigned>(code - clear) >= 2u && code <= codes.freeCode) {
            out = StoreSequential(code, clear, base, out, end, codes);
            continue;
        }
        if (code == clear + 1) break;  // the end code
        // A clear code starts the table afresh; a code beyond the table is malformed
        // data, which the walk decodes until the next clear.
        save();
        bool more;
        if (code == clear) {
            more = StartAfterClear() && WalkUntilClear();
        } else {
            EnterWalkMode();
            EmitWalked(code);
            more = WalkUntilClear();
        }
        load();
        if (!more) break;
    }
    save();
    if (out == end) full_ = true;
}

[[gnu::always_inline]] inline uint8_t* TGIFLZWDecoder::StoreSequential(int code, int clear,
                                                                       uint8_t* base, uint8_t* out,
                                                                       uint8_t* end,
                                                                       TCodes& codes) {
    // The string to store: a literal, an entry, or the entry being defined (the
    // previous string and its own first byte). Literals lie below the clear code.
    const bool defining = code == codes.freeCode;
    const TEntry entry = entries_[static_cast<size_t>(code)];
    const uint8_t* from = code < clear ? literals_.data() + code : base + entry.position;
    uint32_t length = entry.length;
    uint32_t copied = length;
    if (defining) {
        from = base + codes.previousStart;
        length = codes.previousLength + 1;
        copied = codes.previousLength;
    }
    uint8_t first;
    const size_t room = static_cast<size_t>(end - out);
    if (room >= (size_t{length} + 15) / 16 * 16) {
        first = CopyPieces(out, from, copied);
        if (defining) out[codes.previousLength] = first = codes.firstCode;
    } else {
        const size_t count = std::min<size_t>(length, room);
        first = defining ? codes.firstCode : *from;
        CopyString(out, from, std::min<size_t>(copied, count));
        if (defining && count > codes.previousLength) out[codes.previousLength] = first;
    }

    if (codes.freeCode < kMaxCodes) {
        entries_[static_cast<size_t>(codes.freeCode)] = {
            codes.previousStart, static_cast<uint16_t>(codes.previousLength + 1),
            static_cast<uint16_t>(codes.oldCode)};
        codes.Defined();
    }
    codes.previousStart = static_cast<uint32_t>(out - base);
    codes.previousLength = length;
    codes.oldCode = code;
    codes.firstCode = first;
    return out + std::min<size_t>(length, room);
}

void TGIFLZWDecoder::AddEntry(uint8_t first) {
    if (codes_.freeCode >= kMaxCodes) return;  // full: codes stay 12 bits until a clear
    TEntry& entry = entries_[static_cast<size_t>(codes_.freeCode)];
    entry.prefix = static_cast<uint16_t>(codes_.oldCode);
    entry.length = static_cast<uint16_t>(entries_[static_cast<size_t>(codes_.oldCode)].length + 1);
    suffix_[static_cast<size_t>(codes_.freeCode)] = first;
    codes_.Defined();
}

void TGIFLZWDecoder::EmitKnown(int code) {
    // Every entry below the free code was built from entries defined before it, so
    // the chain from `code` has exactly as many links as its string has bytes.
    const int length = entries_[static_cast<size_t>(code)].length;
    const bool direct = runEnd_ - runPos_ >= length;
    uint8_t* end = direct ? runPos_ + length : stack_.data() + length;
    uint8_t* p = end;
    int c = code;
    while (c >= clearValue_) {
        *--p = suffix_[static_cast<size_t>(c)];
        c = entries_[static_cast<size_t>(c)].prefix;
    }
    *--p = static_cast<uint8_t>(c);
    codes_.firstCode = static_cast<uint8_t>(c);
    if (direct) {
        runPos_ = end;
        if (runPos_ == runEnd_) NextRun();
    } else {
        Put(stack_.data(), length);
    }
}

void TGIFLZWDecoder::EnterWalkMode() {
    if (walkMode_) return;
    walkMode_ = true;
    if (sequential_) {
        // The sequential loop found each entry's last byte where its string was stored.
        for (int code = clearValue_ + 2; code < codes_.freeCode; ++code) {
            const TEntry& entry = entries_[static_cast<size_t>(code)];
            suffix_[static_cast<size_t>(code)] = pixels_[entry.position + entry.length - 1u];
        }
    }
    // Entries not defined since the last clear read as empty, as a fresh table has them.
    for (int code = codes_.freeCode; code < kMaxCodes; ++code) {
        entries_[static_cast<size_t>(code)].prefix = 0;
        suffix_[static_cast<size_t>(code)] = 0;
    }
    entries_[static_cast<size_t>(clearValue_)].prefix = suffix_[static_cast<size_t>(clearValue_)] =
        0;
    entries_[static_cast<size_t>(endValue_)].prefix = suffix_[static_cast<size_t>(endValue_)] = 0;
}

void TGIFLZWDecoder::EmitWalked(int code) {
    const int inCode = code;
    int depth = 0;
    if (code >= codes_.freeCode) {
        // Beyond the table: read as the entry being defined.
        stack_[depth++] = codes_.firstCode;
        code = codes_.oldCode;
    }
    while (code >= clearValue_) {
        if (depth == kStackSize) throw GIFException(gifmsg::kChainTooLong);
        stack_[depth++] = suffix_[static_cast<size_t>(code)];
        const int prefix = entries_[static_cast<size_t>(code)].prefix;
        if (prefix == code) throw GIFException(gifmsg::kCircularEntry);
        code = prefix;
    }
    if (depth == kStackSize) throw GIFException(gifmsg::kChainTooLong);
    codes_.firstCode = suffix_[static_cast<size_t>(code)];
    stack_[depth++] = codes_.firstCode;
    AddEntry(codes_.firstCode);
    codes_.oldCode = inCode;
    PutReversed(stack_.data(), depth);
}

void TGIFLZWDecoder::Put(const uint8_t* bytes, int count) {
    while (count > 0 && !full_) {
        const int n = static_cast<int>(std::min<ptrdiff_t>(count, runEnd_ - runPos_));
        std::memcpy(runPos_, bytes, static_cast<size_t>(n));
        runPos_ += n;
        bytes += n;
        count -= n;
        if (runPos_ == runEnd_) NextRun();
    }
}

void TGIFLZWDecoder::PutReversed(const uint8_t* bytes, int count) {
    while (count > 0 && !full_) {
        *runPos_++ = bytes[--count];
        if (runPos_ == runEnd_) NextRun();
    }
}

void TGIFLZWDecoder::NextRun() {
    if (!interlaced_ || --rowsLeft_ == 0) {
        full_ = true;
        return;
    }
    row_ += kPasses[static_cast<size_t>(pass_)].step;
    while (row_ >= height_) {
        if (++pass_ >= static_cast<int>(kPasses.size())) {
            full_ = true;
            return;
        }
        row_ = kPasses[static_cast<size_t>(pass_)].start;
    }
    runPos_ = pixels_ + size_t{row_} * width_;
    runEnd_ = runPos_ + width_;
}

}  // namespace vardel
