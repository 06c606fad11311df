// Inside the graphics layer: what both metafile players share. A record is read only
// through a bounds-checked view; a read past its end throws BadRecord, which stops
// playback at that record.
#pragma once

#include <string>

#include "platform/gdi/GdiObjects.h"
#include "platform/runtime/ByteOrder.h"

namespace vardel::gdi {

struct BadRecord {};

class RecordReader {
  public:
    RecordReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Size() const { return size_; }
    bool Has(size_t offset, size_t bytes) const {
        return offset <= size_ && bytes <= size_ - offset;
    }
    const uint8_t* Bytes(size_t offset, size_t bytes) const {
        if (!Has(offset, bytes)) throw BadRecord{};
        return data_ + offset;
    }
    uint8_t U8(size_t offset) const { return *Bytes(offset, 1); }
    uint16_t U16(size_t offset) const { return LoadLe16(Bytes(offset, 2)); }
    int16_t I16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(size_t offset) const { return LoadLe32(Bytes(offset, 4)); }
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    float F32(size_t offset) const;
    // A count of items of `itemBytes` each starting at `offset`, refused when the record
    // cannot hold them.
    size_t Count(uint64_t count, size_t offset, size_t itemBytes) const {
        if (offset > size_ || count > (size_ - offset) / itemBytes) throw BadRecord{};
        return static_cast<size_t>(count);
    }
    RecordReader Sub(size_t offset, size_t bytes) const { return {Bytes(offset, bytes), bytes}; }

  private:
    const uint8_t* data_;
    size_t size_;
};

// A device-independent bitmap as a record holds it: its description and its pixels.
struct RecordDib {
    BITMAPINFO info;
    const uint8_t* bits = nullptr;
    size_t size = 0;
};
// Reads the description (either header form, masks and colour table) from `header`
// and takes `bits` as the pixels; false when the description is unusable.
bool ReadDib(const RecordReader& header, const uint8_t* bits, size_t size, RecordDib& out);
// Throws BadRecord when uncompressed pixels are fewer than the description needs.
void RequireWholeDib(const RecordDib& dib);
// A packed bitmap: description, colour table, then the pixels in one block.
bool ReadPackedDib(const RecordReader& block, RecordDib& out);

// The objects that records create, by the index the records name them with.
class ObjectTable {
  public:
    explicit ObjectTable(size_t slots) : objects_(std::min<size_t>(slots, 1 << 16)) {}
    // Puts an object at the index; false when the index is beyond the table.
    bool Put(size_t index, HGDIOBJ object) {
        if (index >= objects_.size()) return false;
        objects_[index] = std::move(object);
        return true;
    }
    // The lowest free index, or the table's size when none is free.
    size_t FirstFree() {
        while (free_ < objects_.size() && objects_[free_]) ++free_;
        return free_;
    }
    HGDIOBJ Get(size_t index) const { return index < objects_.size() ? objects_[index] : nullptr; }
    void Remove(size_t index) {
        if (index >= objects_.size()) return;
        objects_[index].reset();
        free_ = std::min(free_, index);
    }

  private:
    std::vector<HGDIOBJ> objects_;
    size_t free_ = 0;  // no slot below it is free
};

// The pen of a LOGPEN: thin ones as CreatePen makes them, wide ones keep their end
// caps and joins (and draw solid, as wide pens of the plain kind do).
HPEN LogicalPen(uint32_t style, int width, COLORREF color);

// Text of 8-bit characters in the face's character set, as UTF-16.
std::u16string DecodeAnsi(const uint8_t* bytes, size_t count, uint8_t charset);

// Saves the context, makes its drawing state the default one and clips it to the
// destination (logical coordinates of the caller); the destructor restores all.
class PlaybackScope {
  public:
    PlaybackScope(const HDC& dc, const RECT& dest);
    ~PlaybackScope();
    PlaybackScope(const PlaybackScope&) = delete;
    PlaybackScope& operator=(const PlaybackScope&) = delete;
    // The caller's logical-to-device mapping, for the placement of the picture.
    const Affine& CallerMapping() const { return caller_; }
    // Restoring below the level the playback started from is refused.
    int BaseLevel() const { return level_; }

  private:
    HDC dc_;
    Affine caller_;
    int level_ = 0;
};

}  // namespace vardel::gdi
