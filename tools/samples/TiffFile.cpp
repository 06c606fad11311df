// An uncompressed TIFF written by hand (TIFF 6.0, baseline RGB full-colour image):
// little-endian header, the pixel strips, then one image file directory with its
// values that do not fit in four bytes.
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "platform/runtime/ByteOrder.h"
#include "tools/samples/SampleFiles.h"

namespace vardel::samples {

namespace {

enum : uint16_t { kShort = 3, kLong = 4, kRational = 5, kAscii = 2 };

class TBytes {
  public:
    void U16(uint16_t v) { AppendLe16(bytes_, v); }
    void U32(uint32_t v) { AppendLe32(bytes_, v); }
    void Append(const std::vector<uint8_t>& more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
    }
    void PadToEven() {
        if (bytes_.size() % 2) bytes_.push_back(0);
    }
    uint32_t Size() const { return static_cast<uint32_t>(bytes_.size()); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

struct TEntry {
    uint16_t tag, type;
    uint32_t count, value;  // the value itself, or the offset of the values
};

constexpr uint32_t kRowsPerStrip = 16;
constexpr char kSoftware[] = "Vardel sample generator";

}  // namespace

void WriteTiff(const TRaster& picture, const std::string& path) {
    const auto width = static_cast<uint32_t>(picture.Width());
    const auto height = static_cast<uint32_t>(picture.Height());
    const std::vector<uint8_t> rgb = picture.RgbBytes();
    const uint32_t rowBytes = width * 3;
    const uint32_t strips = (height + kRowsPerStrip - 1) / kRowsPerStrip;

    TBytes file;
    file.U16(0x4949);  // "II": little-endian
    file.U16(42);
    file.U32(0);  // the directory's offset, filled in below

    // The strips, each kRowsPerStrip rows (the last one what is left).
    std::vector<uint32_t> stripOffsets, stripCounts;
    for (uint32_t s = 0; s < strips; ++s) {
        const uint32_t first = s * kRowsPerStrip;
        const uint32_t rows = std::min(kRowsPerStrip, height - first);
        stripOffsets.push_back(file.Size());
        stripCounts.push_back(rows * rowBytes);
        file.Append(std::vector<uint8_t>(rgb.begin() + first * rowBytes,
                                         rgb.begin() + (first + rows) * rowBytes));
    }
    file.PadToEven();

    // Values longer than four bytes, each at an even offset.
    const uint32_t bitsAt = file.Size();
    for (int i = 0; i < 3; ++i) file.U16(8);
    file.PadToEven();
    const uint32_t offsetsAt = file.Size();
    for (uint32_t v : stripOffsets) file.U32(v);
    const uint32_t countsAt = file.Size();
    for (uint32_t v : stripCounts) file.U32(v);
    const uint32_t resolutionAt = file.Size();
    file.U32(72);
    file.U32(1);
    const uint32_t softwareAt = file.Size();
    for (char c : kSoftware) file.Append({static_cast<uint8_t>(c)});
    file.PadToEven();

    // One strip keeps its offset and count in the entry itself.
    const bool oneStrip = strips == 1;
    const std::vector<TEntry> entries = {
        {256, kLong, 1, width},                                        // ImageWidth
        {257, kLong, 1, height},                                       // ImageLength
        {258, kShort, 3, bitsAt},                                      // BitsPerSample 8,8,8
        {259, kShort, 1, 1},                                           // Compression: none
        {262, kShort, 1, 2},                                           // Photometric: RGB
        {273, kLong, strips, oneStrip ? stripOffsets[0] : offsetsAt},  // StripOffsets
        {277, kShort, 1, 3},                                           // SamplesPerPixel
        {278, kLong, 1, kRowsPerStrip},                                // RowsPerStrip
        {279, kLong, strips, oneStrip ? stripCounts[0] : countsAt},    // StripByteCounts
        {282, kRational, 1, resolutionAt},                             // XResolution
        {283, kRational, 1, resolutionAt},                             // YResolution
        {284, kShort, 1, 1},                                           // PlanarConfiguration
        {296, kShort, 1, 2},                                           // ResolutionUnit: inch
        {305, kAscii, sizeof kSoftware, softwareAt},                   // Software
    };
    const uint32_t directoryAt = file.Size();
    file.U16(static_cast<uint16_t>(entries.size()));
    for (const TEntry& e : entries) {
        file.U16(e.tag);
        file.U16(e.type);
        file.U32(e.count);
        // A short value sits in the first two bytes of the field.
        if (e.type == kShort && e.count == 1) {
            file.U16(static_cast<uint16_t>(e.value));
            file.U16(0);
        } else {
            file.U32(e.value);
        }
    }
    file.U32(0);  // no further directory

    std::vector<uint8_t> bytes = file.Bytes();
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(directoryAt >> (8 * i));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace vardel::samples
