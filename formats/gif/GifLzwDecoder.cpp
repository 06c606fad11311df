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
        prefix_[i] = 0;
        suffix_[i] = static_cast<uint8_t>(i);
        length_[i] = 1;
        entries_[static_cast<size_t>(i)] = {0, 1, 0};
        literals_[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    }
    bitBuffer_ = 0;
    bitCount_ = 0;
    blockPos_ = blockLen_ = 0;
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
        if constexpr (std::endian::native == std::endian::little) {
            if (blockLen_ - blockPos_ >= 8) {
                uint64_t word;
                std::memcpy(&word, block_.data() + blockPos_, 8);
                bitBuffer_ |= word << bitCount_;
                const int taken = (63 - bitCount_) >> 3;
                blockPos_ += taken;
                bitCount_ += taken * 8;
            }
        }
        while (bitCount_ <= 56 && blockPos_ < blockLen_) {
            bitBuffer_ |= uint64_t{block_[static_cast<size_t>(blockPos_++)]} << bitCount_;
            bitCount_ += 8;
        }
        if (bitCount_ >= size) return true;
        if (done_) {
            if (bitCount_ == 0) warn_(gifmsg::kBitUnderrun);
            return false;
        }
        const int n = blocks_->ReadBlock(block_.data());
        if (n < 0) return false;
        if (n == 0) {
            done_ = true;
            if (bitCount_ == 0) {
                warn_(gifmsg::kBitUnderrun);
                return false;
            }
            // The terminator cut this code short: its missing high bits are zeros
            // (the buffer holds zeros above bitCount_).
            bitCount_ = size;
            return true;
        }
        blockPos_ = 0;
        blockLen_ = n;
    }
}

inline int TGIFLZWDecoder::ReadCode(int size) {
    if (bitCount_ < size && !Refill(size)) return -1;
    const int code = static_cast<int>(bitBuffer_ & ((uint64_t{1} << size) - 1));
    bitBuffer_ >>= size;
    bitCount_ -= size;
    return code;
}

void TGIFLZWDecoder::ResetTable() {
    codeSize_ = minCodeSize_ + 1;
    nextLimit_ = 2 * clearValue_;
    freeCode_ = clearValue_ + 2;
    walkMode_ = false;
    if (walkAlways_) EnterWalkMode();
}

bool TGIFLZWDecoder::StartAfterClear() {
    ResetTable();
    int code;
    do {
        code = ReadCode(codeSize_);
    } while (code == clearValue_);
    // An end code right after a clear ends the data; it is no pixel.
    if (code < 0 || code == endValue_) return false;
    firstCode_ = static_cast<uint8_t>(code);
    oldCode_ = code;
    previousStart_ = static_cast<uint32_t>(runPos_ - pixels_);
    previousLength_ = 1;
    Put(&firstCode_, 1);
    // A first code beyond the literals names no entry yet; what later entries built
    // on it mean can only be found by walking.
    if (code >= clearValue_) EnterWalkMode();
    return true;
}

bool TGIFLZWDecoder::DecodeNext() {
    const int code = ReadCode(codeSize_);
    if (code < 0) return false;
    if (code == clearValue_) return StartAfterClear();
    if (code == endValue_) return false;
    if (walkMode_) {
        EmitWalked(code);
    } else if (code < freeCode_) {
        EmitKnown(code);
        AddEntry(firstCode_);
        oldCode_ = code;
    } else if (code == freeCode_) {
        // The string being defined right now: the previous string plus its own first
        // byte. Defining it first lets it be stored like any other.
        AddEntry(firstCode_);
        EmitKnown(code);
        oldCode_ = code;
    } else {
        EnterWalkMode();
        EmitWalked(code);
    }
    return true;
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

}  // namespace

void TGIFLZWDecoder::RunSequential() {
    // The hot state lives in locals: stores of pixel bytes could otherwise alias it.
    uint8_t* const base = pixels_;
    uint8_t* const end = runEnd_;
    uint8_t* out = runPos_;
    uint64_t bits = bitBuffer_;
    int bitCount = bitCount_;
    int blockPos = blockPos_;
    int blockLen = blockLen_;
    int codeSize = codeSize_;
    int freeCode = freeCode_;
    int nextLimit = nextLimit_;
    int oldCode = oldCode_;
    uint8_t firstCode = firstCode_;
    uint32_t previousStart = previousStart_;
    uint32_t previousLength = previousLength_;
    const int clear = clearValue_;

    auto store = [&] {
        runPos_ = out;
        bitBuffer_ = bits;
        bitCount_ = bitCount;
        blockPos_ = blockPos;
        blockLen_ = blockLen;
        codeSize_ = codeSize;
        freeCode_ = freeCode;
        nextLimit_ = nextLimit;
        oldCode_ = oldCode;
        firstCode_ = firstCode;
        previousStart_ = previousStart;
        previousLength_ = previousLength;
    };
    auto load = [&] {
        out = runPos_;
        bits = bitBuffer_;
        bitCount = bitCount_;
        blockPos = blockPos_;
        blockLen = blockLen_;
        codeSize = codeSize_;
        freeCode = freeCode_;
        nextLimit = nextLimit_;
        oldCode = oldCode_;
        firstCode = firstCode_;
        previousStart = previousStart_;
        previousLength = previousLength_;
    };
    // Malformed data hands the codes to the walk until a clear code starts a sound
    // table again. False when decoding has ended.
    auto walkUntilClear = [&] {
        bool more = true;
        while (more && !full_ && walkMode_) more = DecodeNext();
        return more && !full_;
    };

    if (walkMode_) {
        const bool more = walkUntilClear();
        load();
        if (!more) return;
    }
    while (out < end) {
        if (bitCount < codeSize) {
            if constexpr (std::endian::native == std::endian::little) {
                if (blockLen - blockPos >= 8) {
                    uint64_t word;
                    std::memcpy(&word, block_.data() + blockPos, 8);
                    bits |= word << bitCount;
                    const int taken = (63 - bitCount) >> 3;
                    blockPos += taken;
                    bitCount += taken * 8;
                }
            }
            if (bitCount < codeSize) {
                store();
                const bool more = Refill(codeSize);
                load();
                if (!more) break;
            }
        }
        const int code = static_cast<int>(bits & ((uint64_t{1} << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;
        if (static_cast<unsigned>(code - clear) < 2u) {  // clear or end
            if (code != clear) break;
            store();
            bool more = StartAfterClear();
            if (more && walkMode_) more = walkUntilClear();
            load();
            if (!more) break;
            continue;
        }
        if (code > freeCode) {
            store();
            EnterWalkMode();
            EmitWalked(code);
            const bool more = !full_ && walkUntilClear();
            load();
            if (!more) break;
            continue;
        }

        // The string to store: a literal, an entry, or the entry being defined (the
        // previous string and its own first byte).
        const bool defining = code == freeCode;
        const TEntry entry = entries_[static_cast<size_t>(code)];
        const uint8_t* from = code < clear ? literals_.data() + code : base + entry.position;
        uint32_t length = entry.length;
        uint32_t copied = length;
        if (defining) {
            from = base + previousStart;
            length = previousLength + 1;
            copied = previousLength;
        }
        uint8_t first;
        const size_t room = static_cast<size_t>(end - out);
        if (room >= (size_t{length} + 15) / 16 * 16) {
            // Whole 16-byte pieces: the bytes written past the string are
            // overwritten by the strings that follow, or filled at the end. The
            // string's source ends before `out`, so no piece needs what another
            // wrote; each piece is read whole before it is written.
            uint64_t low, high;
            std::memcpy(&low, from, 8);
            std::memcpy(&high, from + 8, 8);
            std::memcpy(out, &low, 8);
            std::memcpy(out + 8, &high, 8);
            first = defining ? firstCode : static_cast<uint8_t>(low);
            for (uint32_t at = 16; at < copied; at += 16) {
                std::memcpy(&low, from + at, 8);
                std::memcpy(&high, from + at + 8, 8);
                std::memcpy(out + at, &low, 8);
                std::memcpy(out + at + 8, &high, 8);
            }
            if (defining) out[previousLength] = first;
        } else {
            const size_t count = std::min<size_t>(length, room);
            first = defining ? firstCode : *from;
            CopyString(out, from, std::min<size_t>(copied, count));
            if (defining && count > previousLength) out[previousLength] = first;
        }

        if (freeCode < kMaxCodes) {
            entries_[static_cast<size_t>(freeCode)] = {previousStart,
                                                       static_cast<uint16_t>(previousLength + 1),
                                                       static_cast<uint16_t>(oldCode)};
            if (++freeCode >= nextLimit && nextLimit < kMaxCodes) {
                nextLimit *= 2;
                ++codeSize;
            }
        }
        previousStart = static_cast<uint32_t>(out - base);
        previousLength = length;
        oldCode = code;
        firstCode = first;
        out += std::min<size_t>(length, room);
    }
    store();
    if (out == end) full_ = true;
}

void TGIFLZWDecoder::AddEntry(uint8_t first) {
    if (freeCode_ >= kMaxCodes) return;  // full: codes stay 12 bits until a clear
    prefix_[freeCode_] = static_cast<uint16_t>(oldCode_);
    suffix_[freeCode_] = first;
    length_[freeCode_] = static_cast<uint16_t>(length_[oldCode_] + 1);
    ++freeCode_;
    if (freeCode_ >= nextLimit_ && nextLimit_ < kMaxCodes) {
        nextLimit_ *= 2;
        ++codeSize_;
    }
}

void TGIFLZWDecoder::EmitKnown(int code) {
    // Every entry below freeCode_ was built from entries defined before it, so the
    // chain from `code` has exactly length_[code] links.
    const int length = length_[code];
    const bool direct = runEnd_ - runPos_ >= length;
    uint8_t* end = direct ? runPos_ + length : stack_.data() + length;
    uint8_t* p = end;
    int c = code;
    while (c >= clearValue_) {
        *--p = suffix_[c];
        c = prefix_[c];
    }
    *--p = static_cast<uint8_t>(c);
    firstCode_ = static_cast<uint8_t>(c);
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
        // The sequential loop kept its table as stored strings.
        for (int code = clearValue_ + 2; code < freeCode_; ++code) {
            const TEntry& entry = entries_[static_cast<size_t>(code)];
            prefix_[static_cast<size_t>(code)] = entry.prefix;
            suffix_[static_cast<size_t>(code)] = pixels_[entry.position + entry.length - 1u];
        }
    }
    // Entries not defined since the last clear read as empty, as a fresh table has them.
    std::fill(prefix_.begin() + freeCode_, prefix_.end(), 0);
    std::fill(suffix_.begin() + freeCode_, suffix_.end(), 0);
    prefix_[clearValue_] = suffix_[clearValue_] = 0;
    prefix_[endValue_] = suffix_[endValue_] = 0;
}

void TGIFLZWDecoder::EmitWalked(int code) {
    const int inCode = code;
    int depth = 0;
    if (code >= freeCode_) {
        // Beyond the table: read as the entry being defined.
        stack_[depth++] = firstCode_;
        code = oldCode_;
    }
    while (code >= clearValue_) {
        if (depth == kStackSize) throw GIFException(gifmsg::kChainTooLong);
        stack_[depth++] = suffix_[code];
        if (prefix_[code] == code) throw GIFException(gifmsg::kCircularEntry);
        code = prefix_[code];
    }
    if (depth == kStackSize) throw GIFException(gifmsg::kChainTooLong);
    firstCode_ = suffix_[code];
    stack_[depth++] = firstCode_;
    AddEntry(firstCode_);
    oldCode_ = inCode;
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
