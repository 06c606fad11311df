// Colour maps of a GIF stream: the global map of the logical screen and the local
// map of a frame.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "graphics/Color.h"
#include "platform/runtime/Streams.h"

namespace vardel {

class TGIFItem;

struct TGIFColor {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const TGIFColor&) const = default;
};

// Bits per pixel of a map with `count` entries: 0 for none, else the smallest b >= 1
// with 2^b >= count.
int ColorMapBits(int count);

class TGIFColorMap {
  public:
    static constexpr int kMaxColors = 256;

    virtual ~TGIFColorMap() = default;

    int Count() const { return static_cast<int>(entries_.size()); }
    // Room kept for entries: 16, or beyond 16 the next multiple of 32, at most 256.
    int Capacity() const { return static_cast<int>(entries_.capacity()); }
    int BitsPerPixel() const { return ColorMapBits(Count()); }
    const TGIFColor& Entry(int index) const { return entries_.at(static_cast<size_t>(index)); }
    const std::vector<TGIFColor>& Entries() const { return entries_; }
    // An entry as a colour value 0x00BBGGRR.
    TColor Color(int index) const;

    void Clear();
    // Appends an entry and returns its index; a full map raises EInvalidGraphicOperation.
    int Add(const TGIFColor& color);

    // Reads `count` entries of three bytes (red, green, blue), replacing the map.
    void LoadFromStream(TStream& stream, int count);
    // Writes the entries, then zero entries up to the next power of two.
    void SaveToStream(TStream& stream) const;

    // The GIF sort flag; kept for the writer, never set by reading.
    bool SortedFlag = false;

    // Warnings go to the item that owns the map.
    virtual void ReportWarning(int severity, std::string_view message) = 0;

  private:
    void Grow(size_t needed);
    std::vector<TGIFColor> entries_;
};

// The logical screen's map; it reports warnings to the image through the header.
class TGIFGlobalColorMap : public TGIFColorMap {
  public:
    explicit TGIFGlobalColorMap(TGIFItem& header) : header_(header) {}
    void ReportWarning(int severity, std::string_view message) override;

  private:
    TGIFItem& header_;
};

// A frame's own map; it reports warnings to its frame.
class TGIFLocalColorMap : public TGIFColorMap {
  public:
    explicit TGIFLocalColorMap(TGIFItem& frame) : frame_(frame) {}
    void ReportWarning(int severity, std::string_view message) override;

  private:
    TGIFItem& frame_;
};

}  // namespace vardel
