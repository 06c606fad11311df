// ReadTiffTags: one TIFF file (its header and its chain of image file directories)
// and one directory (its tag entries and strip table). No pixels are decoded here;
// ReadTiff asks for the directories, looks tags up and reads the strips they name.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/Object.h"
#include "platform/runtime/Streams.h"

namespace vardel {

// Tag numbers of TIFF 6.0 that the reader uses.
namespace tifftag {
inline constexpr uint16_t kImageWidth = 256;
inline constexpr uint16_t kImageLength = 257;
inline constexpr uint16_t kBitsPerSample = 258;
inline constexpr uint16_t kCompression = 259;
inline constexpr uint16_t kPhotometricInterpretation = 262;
inline constexpr uint16_t kFillOrder = 266;
inline constexpr uint16_t kStripOffsets = 273;
inline constexpr uint16_t kSamplesPerPixel = 277;
inline constexpr uint16_t kRowsPerStrip = 278;
inline constexpr uint16_t kStripByteCounts = 279;
inline constexpr uint16_t kPlanarConfiguration = 284;
inline constexpr uint16_t kColorMap = 320;
}  // namespace tifftag

// Field types that get a meaning of their own; every other type is read as LONG.
inline constexpr uint16_t kTiffShort = 3;
inline constexpr uint16_t kTiffLong = 4;

// One 12-byte tag entry. Tag, type and count are in host order; the four value
// bytes stay as the file stores them and are read with the file's byte order.
struct TTiffTagEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    std::array<uint8_t, 4> value{};
};

struct TTiffStrip {
    uint32_t offset = 0;
    uint32_t byteCount = 0;
};

class TFileTiff;

// One image file directory of a TIFF file.
class TGraphicTiff : public TObject {
  public:
    explicit TGraphicTiff(TFileTiff* owner) : owner_(owner) {}
    std::string_view ClassName() const override { return "TGraphicTiff"; }

    // Reads the directory at the stream's position (see TFileTiff::AddDirectory).
    void ReadDirectory(TStream& file);

    // The last entry with that tag number, or none.
    const TTiffTagEntry* FindTag(uint16_t tag) const;
    // The strip record, or none when there is no strip table or the index is past it.
    const TTiffStrip* GetStrip(uint16_t index) const;
    uint16_t StripCount() const { return static_cast<uint16_t>(strips_.size()); }

    // The value of an entry: a SHORT's first two value bytes, any other type's four,
    // in the file's byte order.
    uint32_t Value(const TTiffTagEntry& entry) const;
    // The first `n` (at most `entry.count`) elements of an entry's array: from the value
    // bytes when the whole array fits in them, else from the file at the offset they
    // hold. Fewer come back when the file ends first.
    std::vector<uint32_t> Values(TStream& file, const TTiffTagEntry& entry, uint32_t n) const;

    uint16_t EntryCount() const { return static_cast<uint16_t>(entries_.size()); }
    const std::vector<TTiffTagEntry>& Entries() const { return entries_; }
    uint32_t LinkOffset() const { return linkOffset_; }
    int32_t NextOffset() const { return nextOffset_; }
    TFileTiff* Owner() const { return owner_; }

  private:
    bool IntelOrder() const;
    void ReadStripTable(TStream& file);

    // From the directory.
    std::vector<TTiffTagEntry> entries_;
    uint32_t linkOffset_ = 0;  // where the next-directory offset is stored
    int32_t nextOffset_ = 0;   // 0 when the chain ends here
    // Derived from StripOffsets and StripByteCounts; empty when they do not agree.
    std::vector<TTiffStrip> strips_;
    TFileTiff* owner_;  // gives the byte order; not owned
};

// One TIFF file: header check and the directory chain, read when the name is set.
class TFileTiff : public TPersistent {
  public:
    TFileTiff() = default;
    ~TFileTiff() override;
    TFileTiff(const TFileTiff&) = delete;
    TFileTiff& operator=(const TFileTiff&) = delete;
    std::string_view ClassName() const override { return "TFileTiff"; }

    virtual int DirectoryCount() const { return static_cast<int>(directories_.size()); }
    // Setting the name reads the file. A name of no existing file first gets an empty,
    // valid TIFF file (an 8-byte header without directories).
    virtual void AssignFileName(const std::string& value);
    // The directory at `index`, or none when the index is not below the count.
    virtual TGraphicTiff* GetDirectory(uint8_t index) const;

    const std::string& FileName() const { return path_; }
    void SetFileName(const std::string& value) { AssignFileName(value); }
    bool Valid() const { return valid_; }
    bool IntelOrder() const { return intelOrder_; }
    int64_t FileSize() const { return fileSize_; }

    // Longest chain that is read: one more directory than an 8-bit index reaches, so
    // that the loader can still tell that a file has too many.
    static constexpr int kMaxDirectories = 257;

  private:
    TGraphicTiff* AddDirectory(TStream& file, uint32_t offset);
    void ClearDirectories();
    void CreateEmptyFile(const std::string& name) const;
    void ReadChain(TStream& file, int32_t offset);

    std::string path_;
    int64_t fileSize_ = 0;
    std::vector<std::unique_ptr<TGraphicTiff>> directories_;
    bool intelOrder_ = true;
    bool valid_ = false;
};

}  // namespace vardel
