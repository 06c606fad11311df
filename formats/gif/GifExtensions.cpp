#include "formats/gif/GifExtensions.h"

#include <algorithm>
#include <array>

#include "formats/gif/GifException.h"
#include "formats/gif/GifImage.h"
#include "formats/gif/GifStreamIO.h"
#include "platform/runtime/ByteOrder.h"

namespace vardel {

namespace {

template <class T>
std::unique_ptr<TGIFExtension> MakeExtension(TGIFSubImage& frame) {
    return std::make_unique<T>(frame);
}

const TGIFExtensionClass* RefineAsItself(const TGIFExtensionClass& self, TStream&) {
    return &self;
}

}  // namespace

const TGIFExtensionClass& TGIFGraphicControlExtension::ClassInfo() {
    static const TGIFExtensionClass info{"TGIFGraphicControlExtension",
                                         &MakeExtension<TGIFGraphicControlExtension>,
                                         &RefineAsItself};
    return info;
}

const TGIFExtensionClass& TGIFTextExtension::ClassInfo() {
    static const TGIFExtensionClass info{"TGIFTextExtension", &MakeExtension<TGIFTextExtension>,
                                         &RefineAsItself};
    return info;
}

const TGIFExtensionClass& TGIFCommentExtension::ClassInfo() {
    static const TGIFExtensionClass info{"TGIFCommentExtension",
                                         &MakeExtension<TGIFCommentExtension>, &RefineAsItself};
    return info;
}

const TGIFExtensionClass& TGIFApplicationExtension::ClassInfo() {
    static const TGIFExtensionClass info{"TGIFApplicationExtension",
                                         &MakeExtension<TGIFApplicationExtension>,
                                         &TGIFApplicationExtension::RefineClass};
    return info;
}

const TGIFExtensionClass& TGIFUnknownAppExtension::ClassInfo() {
    static const TGIFExtensionClass info{"TGIFUnknownAppExtension",
                                         &MakeExtension<TGIFUnknownAppExtension>,
                                         &TGIFApplicationExtension::RefineClass};
    return info;
}

const TGIFExtensionClass& TGIFAppExtNSLoop::ClassInfo() {
    static const TGIFExtensionClass info{"TGIFAppExtNSLoop", &MakeExtension<TGIFAppExtNSLoop>,
                                         &TGIFApplicationExtension::RefineClass};
    return info;
}

// --- common part -------------------------------------------------------------

TGIFExtension::TGIFExtension(TGIFSubImage& frame) : TGIFItem(frame.Image()), frame_(frame) {}

void TGIFExtension::LoadFromStream(TStream& stream) {
    uint8_t start[2];
    ReadExact(stream, start, 2);
    if (start[0] != kExtensionIntroducer) throw GIFException(gifmsg::kBadIntroducer);
    if (start[1] != LabelCode()) throw GIFException(gifmsg::kLabelMismatch);
    LoadBody(stream);
}

void TGIFExtension::SaveToStream(TStream& stream) const {
    const uint8_t start[2] = {kExtensionIntroducer, LabelCode()};
    stream.WriteBuffer(start, 2);
    SaveBody(stream);
}

// --- graphic control -----------------------------------------------------------

void TGIFGraphicControlExtension::LoadBody(TStream& stream) {
    // Fields that a short block does not reach keep their values.
    uint8_t b[6] = {BlockSize, Flags, 0, 0, TransparentColorIndex, Terminator};
    StoreLe16(b + 2, Delay);
    const size_t got = stream.Read(b, sizeof b);
    BlockSize = b[0];
    Flags = b[1];
    Delay = LoadLe16(b + 2);
    TransparentColorIndex = b[4];
    Terminator = b[5];
    if (got < sizeof b) {
        ReportWarning(kGIFWarningSeverity, gifmsg::kPrematureEnd);
        return;
    }
    if (Transparent()) Frame().IsTransparent = true;
}

void TGIFGraphicControlExtension::SaveBody(TStream& stream) const {
    WriteByte(stream, BlockSize);
    WriteByte(stream, Flags);
    WriteWord(stream, Delay);
    WriteByte(stream, TransparentColorIndex);
    WriteByte(stream, Terminator);
}

// --- plain text and comment ------------------------------------------------------

void TGIFTextExtension::LoadBody(TStream& stream) {
    uint8_t b[13];
    ReadExact(stream, b, sizeof b);
    BlockSize = b[0];
    GridLeft = LoadLe16(b + 1);
    GridTop = LoadLe16(b + 3);
    GridWidth = LoadLe16(b + 5);
    GridHeight = LoadLe16(b + 7);
    CellWidth = b[9];
    CellHeight = b[10];
    ForegroundColorIndex = b[11];
    BackgroundColorIndex = b[12];
    ReadSubBlockStrings(stream, TextLines);
}

void TGIFTextExtension::SaveBody(TStream& stream) const {
    WriteByte(stream, BlockSize);
    WriteWord(stream, GridLeft);
    WriteWord(stream, GridTop);
    WriteWord(stream, GridWidth);
    WriteWord(stream, GridHeight);
    WriteByte(stream, CellWidth);
    WriteByte(stream, CellHeight);
    WriteByte(stream, ForegroundColorIndex);
    WriteByte(stream, BackgroundColorIndex);
    WriteSubBlockStrings(stream, TextLines);
    WriteByte(stream, 0);
}

void TGIFCommentExtension::LoadBody(TStream& stream) {
    ReadSubBlockStrings(stream, TextLines);
}

void TGIFCommentExtension::SaveBody(TStream& stream) const {
    WriteSubBlockStrings(stream, TextLines);
    WriteByte(stream, 0);
}

// --- application blocks ----------------------------------------------------------

void TGIFApplicationExtension::SetIdentifier(std::string_view text) {
    Identifier.fill(0);
    std::copy_n(text.begin(), std::min(text.size(), Identifier.size()), Identifier.begin());
}

void TGIFApplicationExtension::LoadBody(TStream& stream) {
    // The size byte was already seen while the class was identified, so a missing
    // one means the stream changed under us; treat it as truncation.
    const uint8_t size = ReadExactByte(stream);
    if (size < 10) throw GIFException(gifmsg::kAppBlockSize);
    Identifier.fill(0);
    if (size == 10) {
        ReadExact(stream, Identifier.data(), 10);
    } else {
        ReadExact(stream, Identifier.data(), 11);
        SkipBytes(stream, size - 11u);
    }
    ReadAppData(stream);
}

void TGIFApplicationExtension::SaveBody(TStream& stream) const {
    WriteByte(stream, static_cast<uint8_t>(Identifier.size()));
    stream.WriteBuffer(Identifier.data(), Identifier.size());
    WriteAppData(stream);
}

void TGIFApplicationExtension::ReadAppData(TStream&) {
    // Only a block whose size is neither 10 nor 11 stays of this class; its data
    // cannot be read with any confidence.
    throw GIFException(gifmsg::kAppBlockSize);
}

void TGIFApplicationExtension::WriteAppData(TStream& stream) const {
    WriteByte(stream, 0);
}

void TGIFUnknownAppExtension::ReadAppData(TStream& stream) {
    SubBlocks.clear();
    for (int size = stream.ReadByte(); size > 0; size = stream.ReadByte()) {
        TGIFBlock block;
        block.Data.resize(static_cast<size_t>(size));
        ReadExact(stream, block.Data.data(), block.Data.size());
        SubBlocks.push_back(std::move(block));
    }
}

void TGIFUnknownAppExtension::WriteAppData(TStream& stream) const {
    for (const TGIFBlock& block : SubBlocks) {
        // A block longer than a sub-block can hold is cut; an empty one would end
        // the data early, so it writes nothing.
        for (size_t at = 0; at < block.Data.size(); at += 255) {
            const size_t piece = std::min<size_t>(255, block.Data.size() - at);
            WriteByte(stream, static_cast<uint8_t>(piece));
            stream.WriteBuffer(block.Data.data() + at, piece);
        }
    }
    WriteByte(stream, 0);
}

namespace {
constexpr uint8_t kLoopSubBlock = 1;
constexpr uint8_t kBufferSubBlock = 2;
}  // namespace

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage& frame) : TGIFApplicationExtension(frame) {
    SetIdentifier("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::ReadAppData(TStream& stream) {
    // The end of the stream where a sub-block size is due ends the data like the
    // terminator does; inside a sub-block it is truncation.
    for (int size = stream.ReadByte(); size > 0; size = stream.ReadByte()) {
        const uint8_t id = ReadExactByte(stream);
        int rest = size - 1;
        uint8_t value[4];
        if ((id & 7) == kLoopSubBlock) {
            if (rest < 2) throw GIFException(gifmsg::kInvalidData);
            ReadExact(stream, value, 2);
            LoopCount = LoadLe16(value);
            rest -= 2;
        }
        if ((id & 7) == kBufferSubBlock) {
            if (rest < 4) throw GIFException(gifmsg::kInvalidData);
            ReadExact(stream, value, 4);
            BufferSize = LoadLe32(value);
            rest -= 4;
        }
        if (rest > 0) SkipBytes(stream, static_cast<size_t>(rest));
    }
}

void TGIFAppExtNSLoop::WriteAppData(TStream& stream) const {
    WriteByte(stream, 3);
    WriteByte(stream, kLoopSubBlock);
    WriteWord(stream, LoopCount);
    if (BufferSize != 0) {
        WriteByte(stream, 5);
        WriteByte(stream, kBufferSubBlock);
        WriteDWord(stream, BufferSize);
    }
    WriteByte(stream, 0);
}

}  // namespace vardel
