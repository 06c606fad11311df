#include "formats/tiff/ReadTiffTags.h"

#include <algorithm>
#include <new>
#include <unordered_set>

#include "formats/tiff/TiffBytes.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Files.h"

namespace vardel {

namespace {

constexpr size_t kEntrySize = 12;
constexpr uint16_t kMagic = 42;
constexpr int32_t kFirstPossibleDirectory = 8;  // right after the header

// How many bytes the stream holds from its position on.
size_t BytesLeft(TStream& file) {
    const int64_t left = file.Size() - file.Position();
    return left > 0 ? static_cast<size_t>(left) : 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// TGraphicTiff

bool TGraphicTiff::IntelOrder() const {
    return owner_->IntelOrder();
}

void TGraphicTiff::ReadDirectory(TStream& file) {
    if (!owner_) return;
    const bool intel = IntelOrder();
    const int64_t start = file.Position();
    uint8_t countBytes[2];
    // A directory that is not there at all reads as one without entries or successor.
    if (file.Read(countBytes, 2) != 2) return;
    const uint16_t count = tiffbytes::Get16(countBytes, intel);
    try {
        if (count > 0) {
            // Only what the file holds is allocated, so a count that runs past the end
            // costs no more than the file itself; the entries read whole are kept.
            std::vector<uint8_t> raw(std::min(kEntrySize * count, BytesLeft(file)));
            raw.resize(file.Read(raw.data(), raw.size()));
            entries_.resize(raw.size() / kEntrySize);
            for (size_t i = 0; i < entries_.size(); ++i) {
                const uint8_t* e = raw.data() + i * kEntrySize;
                TTiffTagEntry& entry = entries_[i];
                entry.tag = tiffbytes::Get16(e, intel);
                entry.type = tiffbytes::Get16(e + 2, intel);
                entry.count = tiffbytes::Get32(e + 4, intel);
                std::copy(e + 8, e + 12, entry.value.begin());
            }
        }
        linkOffset_ = static_cast<uint32_t>(start + 2 + int64_t{12} * count);
        ReadStripTable(file);
    } catch (const std::bad_alloc&) {
        // Out of memory: the directory keeps what was read and ends the chain; what it
        // lacks is told when it is decoded.
        return;
    }
    uint8_t next[4];
    file.Seek(linkOffset_, SeekOrigin::Begin);
    nextOffset_ = file.Read(next, 4) == 4 ? static_cast<int32_t>(tiffbytes::Get32(next, intel)) : 0;
}

void TGraphicTiff::ReadStripTable(TStream& file) {
    const TTiffTagEntry* counts = FindTag(tifftag::kStripByteCounts);
    const TTiffTagEntry* offsets = FindTag(tifftag::kStripOffsets);
    const uint32_t n = counts ? counts->count : 0;
    // The table counts strips in 16 bits: a directory announcing more gets none, and
    // its image is refused when its data are read.
    if (n == 0 || !offsets || offsets->count != n || n > UINT16_MAX) return;
    const std::vector<uint32_t> byteCounts = Values(file, *counts, n);
    const std::vector<uint32_t> starts = Values(file, *offsets, n);
    // An array cut short by the end of the file gives no table either.
    if (byteCounts.size() != n || starts.size() != n) return;
    strips_.resize(n);
    for (uint32_t i = 0; i < n; ++i) strips_[i] = TTiffStrip{starts[i], byteCounts[i]};
}

const TTiffTagEntry* TGraphicTiff::FindTag(uint16_t tag) const {
    // The last one wins when a tag is repeated.
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (it->tag == tag) return &*it;
    return nullptr;
}

const TTiffStrip* TGraphicTiff::GetStrip(uint16_t index) const {
    return index < strips_.size() ? &strips_[index] : nullptr;
}

uint32_t TGraphicTiff::Value(const TTiffTagEntry& entry) const {
    const bool intel = IntelOrder();
    return entry.type == kTiffShort ? tiffbytes::Get16(entry.value.data(), intel)
                                    : tiffbytes::Get32(entry.value.data(), intel);
}

std::vector<uint32_t> TGraphicTiff::Values(TStream& file, const TTiffTagEntry& entry,
                                           uint32_t n) const {
    const bool intel = IntelOrder();
    const size_t size = entry.type == kTiffShort ? 2 : 4;
    n = std::min(n, entry.count);
    std::vector<uint8_t> raw;
    if (uint64_t{entry.count} * size <= entry.value.size()) {
        raw.assign(entry.value.begin(), entry.value.begin() + n * size);
    } else {
        file.Seek(tiffbytes::Get32(entry.value.data(), intel), SeekOrigin::Begin);
        raw.resize(std::min(size_t{n} * size, BytesLeft(file)));
        raw.resize(file.Read(raw.data(), raw.size()));
    }
    std::vector<uint32_t> out(raw.size() / size);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] =
            size == 2 ? tiffbytes::Get16(&raw[i * 2], intel) : tiffbytes::Get32(&raw[i * 4], intel);
    return out;
}

// ---------------------------------------------------------------------------
// TFileTiff

TFileTiff::~TFileTiff() {
    ClearDirectories();
}

TGraphicTiff* TFileTiff::GetDirectory(uint8_t index) const {
    return index < directories_.size() ? directories_[index].get() : nullptr;
}

void TFileTiff::ClearDirectories() {
    directories_.clear();
}

void TFileTiff::AssignFileName(const std::string& value) {
    if (!value.empty() && !FileExists(value)) CreateEmptyFile(value);
    if (value.empty()) {
        ClearDirectories();
        path_.clear();
        fileSize_ = 0;
        valid_ = false;
        return;
    }
    // The same name again keeps what was read, even if the file changed since.
    if (value == path_) return;

    ClearDirectories();
    valid_ = false;
    // Forget the old name too: otherwise, after a file too short to be read, setting
    // the previous name again would be taken for "no change" and find no directories.
    path_.clear();
    fileSize_ = std::max<int64_t>(FileSizeByName(value), 0);
    if (fileSize_ < 8) return;

    try {
        TFileStream file(value, FileMode::OpenRead);
        std::array<uint8_t, 8> header{};
        if (file.Read(header.data(), header.size()) == header.size()) {
            valid_ = true;
            if (header[0] == 'I' && header[1] == 'I')
                intelOrder_ = true;
            else if (header[0] == 'M' && header[1] == 'M')
                intelOrder_ = false;
            else
                valid_ = false;
        }
        if (valid_ && tiffbytes::Get16(&header[2], intelOrder_) != kMagic) valid_ = false;
        path_ = value;
        const auto first = static_cast<int32_t>(tiffbytes::Get32(&header[4], intelOrder_));
        if (valid_) ReadChain(file, first);
    } catch (const EFOpenError&) {
        // Listed but not readable (permissions, a race with a deletion): not a TIFF file
        // that we can read, which is what the invalid state says.
        valid_ = false;
    }
}

void TFileTiff::ReadChain(TStream& file, int32_t offset) {
    // A chain that comes back to a directory already read stops there; the length
    // limit also bounds chains of distinct offsets.
    std::unordered_set<int32_t> visited;
    while (offset >= kFirstPossibleDirectory && DirectoryCount() < kMaxDirectories &&
           visited.insert(offset).second)
        offset = AddDirectory(file, static_cast<uint32_t>(offset))->NextOffset();
}

TGraphicTiff* TFileTiff::AddDirectory(TStream& file, uint32_t offset) {
    auto directory = std::make_unique<TGraphicTiff>(this);
    file.Seek(offset, SeekOrigin::Begin);
    directory->ReadDirectory(file);
    directories_.push_back(std::move(directory));
    return directories_.back().get();
}

void TFileTiff::CreateEmptyFile(const std::string& name) const {
    const std::array<uint8_t, 8> header =
        intelOrder_ ? std::array<uint8_t, 8>{'I', 'I', kMagic, 0, 0, 0, 0, 0}
                    : std::array<uint8_t, 8>{'M', 'M', 0, kMagic, 0, 0, 0, 0};
    try {
        TFileStream file(name, FileMode::Create);
        file.Write(header.data(), header.size());
    } catch (const EStreamError&) {
        // A name that cannot be created is simply read as missing.
    }
}

}  // namespace vardel
