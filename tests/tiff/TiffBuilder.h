// Test helpers: TIFF files built in memory, in either byte order, and files on disk
// that are removed again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vardel::testing {

// Bytes written one field at a time in the file's byte order, so that hand-built
// files can say what each field is.
class TBytes {
  public:
    explicit TBytes(bool intel = true) : intel_(intel) {}
    TBytes& Raw(std::initializer_list<uint8_t> bytes);
    TBytes& U16(uint32_t value);
    TBytes& U32(uint32_t value);
    // The byte-order mark, 42 and the first directory offset.
    TBytes& Header(uint32_t firstDirectory);
    // One 12-byte entry with a value that fits in the four value bytes: a SHORT's
    // value takes the first two of them.
    TBytes& Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value);
    // An entry whose values lie at `offset`.
    TBytes& ArrayEntry(uint16_t tag, uint16_t type, uint32_t count, uint32_t offset) {
        return U16(tag).U16(type).U32(count).U32(offset);
    }
    // 16-bit numbers one after the other.
    TBytes& Shorts(std::initializer_list<uint32_t> values) {
        for (uint32_t v : values) U16(v);
        return *this;
    }
    // Overwrites four bytes at `at` with a 32-bit number.
    TBytes& Patch32(size_t at, uint32_t value);
    // Fills with zero bytes up to `offset`.
    TBytes& PadTo(size_t offset);
    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

  private:
    bool intel_;
    std::vector<uint8_t> bytes_;
};

inline constexpr uint16_t kShort = 3;
inline constexpr uint16_t kLong = 4;

struct TEntrySpec {
    uint16_t tag;
    uint16_t type;
    std::vector<uint32_t> values;  // count = values.size(); stored after the data if over 4 bytes
};

struct TDirectorySpec {
    std::vector<TEntrySpec> entries;
    // With strips, StripOffsets and StripByteCounts (LONG) are added after the entries.
    std::vector<std::vector<uint8_t>> strips;
};

// A whole file: header, then per directory its strips, its arrays and the directory,
// chained in order.
std::vector<uint8_t> BuildTiff(bool intel, const std::vector<TDirectorySpec>& directories);

// The entries of a plain uncompressed image (ImageWidth, ImageLength, BitsPerSample,
// Compression 1, PhotometricInterpretation, RowsPerStrip) with its rows cut into
// strips of `rowsPerStrip` rows.
TDirectorySpec ImageDirectory(uint32_t width, uint32_t height, std::vector<uint32_t> bitsPerSample,
                              uint32_t photometric, const std::vector<uint8_t>& rows,
                              uint32_t rowsPerStrip);

// A folder of its own under the system's temporary folder, removed with everything in it.
class TTempDir {
  public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& Dir() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

std::vector<uint8_t> ReadAll(const std::string& path);

}  // namespace vardel::testing
