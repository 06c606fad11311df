#include "tests/tiff/TiffBuilder.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>

namespace vardel::testing {

TBytes& TBytes::Raw(std::initializer_list<uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes);
    return *this;
}

TBytes& TBytes::U16(uint32_t value) {
    const auto lo = static_cast<uint8_t>(value), hi = static_cast<uint8_t>(value >> 8);
    return intel_ ? Raw({lo, hi}) : Raw({hi, lo});
}

TBytes& TBytes::U32(uint32_t value) {
    return intel_ ? U16(value & 0xFFFF).U16(value >> 16) : U16(value >> 16).U16(value & 0xFFFF);
}

TBytes& TBytes::Header(uint32_t firstDirectory) {
    return (intel_ ? Raw({'I', 'I'}) : Raw({'M', 'M'})).U16(42).U32(firstDirectory);
}

TBytes& TBytes::Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    U16(tag).U16(type).U32(count);
    return type == kShort ? U16(value).U16(0) : U32(value);
}

TBytes& TBytes::Patch32(size_t at, uint32_t value) {
    TBytes number(intel_);
    number.U32(value);
    std::copy(number.bytes_.begin(), number.bytes_.end(),
              bytes_.begin() + static_cast<ptrdiff_t>(at));
    return *this;
}

TBytes& TBytes::PadTo(size_t offset) {
    if (bytes_.size() < offset) bytes_.resize(offset, 0);
    return *this;
}

std::vector<uint8_t> BuildTiff(bool intel, const std::vector<TDirectorySpec>& directories) {
    TBytes out(intel);
    out.Header(0);
    size_t previousLink = 4;  // where the offset of the next directory goes
    for (const TDirectorySpec& spec : directories) {
        std::vector<TEntrySpec> entries = spec.entries;
        if (!spec.strips.empty()) {
            TEntrySpec offsets{273, kLong, {}}, counts{279, kLong, {}};
            for (const auto& strip : spec.strips) {
                offsets.values.push_back(static_cast<uint32_t>(out.Size()));
                counts.values.push_back(static_cast<uint32_t>(strip.size()));
                for (uint8_t b : strip) out.Raw({b});
            }
            entries.push_back(offsets);
            entries.push_back(counts);
        }
        // Arrays that do not fit in the value bytes go before the directory.
        std::vector<uint32_t> arrayOffsets(entries.size(), 0);
        for (size_t i = 0; i < entries.size(); ++i) {
            const size_t size = entries[i].type == kShort ? 2 : 4;
            if (entries[i].values.size() * size <= 4) continue;
            out.PadTo(out.Size() + (out.Size() & 1));
            arrayOffsets[i] = static_cast<uint32_t>(out.Size());
            for (uint32_t v : entries[i].values) size == 2 ? out.U16(v) : out.U32(v);
        }
        out.PadTo(out.Size() + (out.Size() & 1));
        out.Patch32(previousLink, static_cast<uint32_t>(out.Size()));

        out.U16(static_cast<uint32_t>(entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            const TEntrySpec& e = entries[i];
            const auto count = static_cast<uint32_t>(e.values.size());
            const size_t size = e.type == kShort ? 2 : 4;
            if (count * size > 4) {
                out.U16(e.tag).U16(e.type).U32(count).U32(arrayOffsets[i]);
            } else {
                out.U16(e.tag).U16(e.type).U32(count);
                for (uint32_t v : e.values) size == 2 ? out.U16(v) : out.U32(v);
                out.PadTo(out.Size() + (4 - count * size));
            }
        }
        previousLink = out.Size();
        out.U32(0);
    }
    return out.Bytes();
}

TDirectorySpec ImageDirectory(uint32_t width, uint32_t height, std::vector<uint32_t> bitsPerSample,
                              uint32_t photometric, const std::vector<uint8_t>& rows,
                              uint32_t rowsPerStrip) {
    TDirectorySpec spec;
    spec.entries = {{256, kLong, {width}},
                    {257, kLong, {height}},
                    {258, kShort, std::move(bitsPerSample)},
                    {259, kShort, {1}},
                    {262, kShort, {photometric}},
                    {278, kLong, {rowsPerStrip}}};
    const size_t rowLength = height ? rows.size() / height : 0;
    for (uint32_t y = 0; y < height; y += rowsPerStrip) {
        const size_t begin = y * rowLength,
                     end = std::min<size_t>(rows.size(), (y + rowsPerStrip) * rowLength);
        spec.strips.emplace_back(rows.begin() + begin, rows.begin() + end);
    }
    return spec;
}

TTempDir::TTempDir() {
    static std::atomic<int> serial{0};
    dir_ = std::filesystem::temp_directory_path() /
           ("vardel-tiff-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::create_directories(dir_);
}

TTempDir::~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string TTempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vardel::testing
