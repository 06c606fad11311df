// The TIFF file and its directories: header checks, the chain, entries and strip tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "formats/tiff/ReadTiffTags.h"
#include "platform/runtime/Files.h"
#include "tests/tiff/TiffBuilder.h"

using namespace vardel;
using namespace vardel::testing;

namespace {

// One file read from disk, its first directory at hand.
struct TRead {
    TFileTiff file;
    explicit TRead(const std::string& path) { file.SetFileName(path); }
    const TGraphicTiff& Dir(uint8_t index = 0) const { return *file.GetDirectory(index); }
    uint32_t Value(uint16_t tag) const { return Dir().Value(*Dir().FindTag(tag)); }
};

using TStrips = std::vector<std::pair<uint32_t, uint32_t>>;

TStrips StripsOf(const TGraphicTiff& d) {
    TStrips out;
    for (uint16_t i = 0; i < d.StripCount(); ++i)
        out.emplace_back(d.GetStrip(i)->offset, d.GetStrip(i)->byteCount);
    return out;
}

}  // namespace

TEST(TiffFile, MissingNameLeavesAnEmptyValidFileOnDisk) {
    TTempDir dir;
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string restore = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", dir.Dir().c_str(), 1);
    std::filesystem::create_directories(DriveFolder('c'));
    {
        // A drive name is looked up in the drive's folder and keeps its own spelling.
        TFileTiff file;
        file.SetFileName("C:\\saturn.tif");
        EXPECT_EQ(ReadAll(DriveFolder('c') + "/saturn.tif"),
                  (std::vector<uint8_t>{0x49, 0x49, 0x2A, 0, 0, 0, 0, 0}));
        EXPECT_TRUE(file.Valid());
        EXPECT_EQ(file.DirectoryCount(), 0);
        EXPECT_EQ(file.FileName(), "C:\\saturn.tif");
        EXPECT_EQ(file.GetDirectory(0), nullptr);
    }
    saved ? ::setenv("XDG_DATA_HOME", restore.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
}

TEST(TiffFile, HeaderChecksAndTheSameNameTwice) {
    TTempDir dir;
    const std::vector<std::pair<std::vector<uint8_t>, bool>> headers = {
        {{'I', 'I', 42, 0, 0, 0, 0, 0}, true},  {{'M', 'M', 0, 42, 0, 0, 0, 0}, true},
        {{'I', 'M', 42, 0, 0, 0, 0, 0}, false}, {{'M', 'M', 42, 0, 0, 0, 0, 0}, false},
        {{'I', 'I', 43, 0, 8, 0, 0, 0}, false},  // BigTIFF
        {{'I', 'I', 42, 0, 0, 0, 0}, false},     // seven bytes: not even the name is kept
    };
    for (const auto& [bytes, valid] : headers) {
        TRead read(dir.Write("h.tif", bytes));
        EXPECT_EQ(read.file.Valid(), valid) << bytes.size();
        EXPECT_EQ(read.file.DirectoryCount(), 0);
        EXPECT_EQ(read.file.FileName().empty(), bytes.size() < 8);
    }

    // The same name again changes nothing, even when the file changed in between.
    const auto image = BuildTiff(true, {ImageDirectory(1, 1, {8}, 1, {7}, 1)});
    const std::string path = dir.Write("a.tif", image);
    TFileTiff file;
    file.SetFileName(path);
    dir.Write("a.tif", {'I', 'I', 42, 0, 0, 0, 0, 0});
    file.SetFileName(path);
    EXPECT_EQ(file.DirectoryCount(), 1);
    // An empty name forgets everything. A short file in between does not keep the old
    // name either, so the first file is read again afterwards.
    file.SetFileName("");
    EXPECT_FALSE(file.Valid());
    EXPECT_EQ(file.DirectoryCount(), 0);
    dir.Write("a.tif", image);
    file.SetFileName(path);
    file.SetFileName(dir.Write("short.tif", {'I', 'I', 42}));
    file.SetFileName(path);
    EXPECT_TRUE(file.Valid());
    EXPECT_EQ(file.DirectoryCount(), 1);
}

TEST(TiffFile, BigEndianValuesAndShortArrays) {
    TBytes b(false);
    b.Header(8)                            // "MM", 42, first directory at 8
        .U16(5)                            // 8: five entries
        .Entry(256, kShort, 1, 512)        // ImageWidth SHORT 512 in the first two value bytes
        .Entry(257, kLong, 1, 70000)       // ImageLength LONG
        .ArrayEntry(273, kShort, 3, 74)    // StripOffsets: 3 SHORTs at 74
        .ArrayEntry(279, kShort, 3, 80)    // StripByteCounts: 3 SHORTs at 80
        .Entry(256, kShort, 1, 640)        // ImageWidth again: the later one counts
        .U32(0)                            // 70: no next directory
        .Shorts({0x0102, 0x0304, 0x0506})  // 74: offsets, high byte first
        .Shorts({10, 20, 30});             // 80: byte counts
    TTempDir dir;
    TRead read(dir.Write("be.tif", b.Bytes()));
    ASSERT_TRUE(read.file.Valid());
    EXPECT_FALSE(read.file.IntelOrder());
    EXPECT_EQ(read.Value(256), 640u);
    EXPECT_EQ(read.Value(257), 70000u);
    EXPECT_EQ(read.Dir().FindTag(258), nullptr);
    EXPECT_EQ(StripsOf(read.Dir()), (TStrips{{0x0102, 10}, {0x0304, 20}, {0x0506, 30}}));
    EXPECT_EQ(read.Dir().GetStrip(3), nullptr);
    EXPECT_EQ(read.Dir().LinkOffset(), 70u);
}

TEST(TiffFile, StripTables) {
    TTempDir dir;
    auto stripsOf = [&](bool intel, std::vector<TEntrySpec> entries) {
        return StripsOf(
            TRead(dir.Write("s.tif", BuildTiff(intel, {TDirectorySpec{std::move(entries), {}}})))
                .Dir());
    };
    for (bool intel : {true, false}) {
        // One strip: taken straight from the two entries' values.
        EXPECT_EQ(stripsOf(intel, {{273, kLong, {100}}, {279, kShort, {7}}}), (TStrips{{100, 7}}));
        // Two SHORTs fit in the value bytes.
        EXPECT_EQ(stripsOf(intel, {{273, kShort, {9, 11}}, {279, kShort, {2, 3}}}),
                  (TStrips{{9, 2}, {11, 3}}));
        // Four offsets and three counts, or offsets alone, make no table.
        EXPECT_EQ(stripsOf(intel, {{273, kLong, {1, 2, 3, 4}}, {279, kLong, {1, 2, 3}}}),
                  TStrips{});
        EXPECT_EQ(stripsOf(intel, {{273, kLong, {5}}}), TStrips{});
        // The later of two StripByteCounts entries holds.
        EXPECT_EQ(stripsOf(intel, {{279, kLong, {1}}, {273, kLong, {5}}, {279, kLong, {6}}}),
                  (TStrips{{5, 6}}));
    }
    // More strips than 16 bits count: no table.
    const std::vector<uint32_t> many(65536, 8);
    EXPECT_EQ(stripsOf(true, {{273, kLong, many}, {279, kLong, many}}), TStrips{});
    // Arrays past the end of the file: no table.
    TBytes b;
    b.Header(8)
        .U16(2)                           // 8: two entries
        .ArrayEntry(273, kLong, 2, 4000)  // StripOffsets: two LONGs at 4000
        .ArrayEntry(279, kLong, 2, 4000)  // StripByteCounts: the same
        .U32(0);                          // no next directory
    EXPECT_EQ(TRead(dir.Write("cut.tif", b.Bytes())).Dir().StripCount(), 0);
}

TEST(TiffFile, ChainsEndAtSmallOffsetsLoopsAndTheLimit) {
    TTempDir dir;
    for (uint32_t next : {0u, 1u, 7u, 0x80000000u, 0xFFFFFFFFu}) {
        TBytes b;
        b.Header(8)
            .U16(0)     // 8: a directory without entries...
            .U32(next)  // 10: ...whose next offset follows the count at once
            .PadTo(64);
        TRead read(dir.Write("n.tif", b.Bytes()));
        EXPECT_EQ(read.file.DirectoryCount(), 1) << next;
        EXPECT_EQ(read.Dir().EntryCount(), 0);
        EXPECT_EQ(read.Dir().StripCount(), 0);
        EXPECT_EQ(read.Dir().LinkOffset(), 10u);
    }
    TBytes self, loop, chain;
    self.Header(8).U16(0).U32(8);                                 // back to itself
    loop.Header(8).U16(0).U32(14).U16(0).U32(20).U16(0).U32(14);  // third back to second
    chain.Header(8);
    for (int i = 0; i < 300; ++i) {
        const auto next = static_cast<uint32_t>(chain.Size() + 6);
        chain.U16(0).U32(next);  // 300 directories in a row
    }
    chain.U32(0);
    EXPECT_EQ(TRead(dir.Write("self.tif", self.Bytes())).file.DirectoryCount(), 1);
    EXPECT_EQ(TRead(dir.Write("loop.tif", loop.Bytes())).file.DirectoryCount(), 3);
    EXPECT_EQ(TRead(dir.Write("long.tif", chain.Bytes())).file.DirectoryCount(),
              TFileTiff::kMaxDirectories);
}

TEST(TiffFile, TruncatedDirectoryKeepsWholeEntriesAndEndsTheChain) {
    TBytes b;
    b.Header(8)
        .U16(3)                    // 8: three entries announced
        .Entry(256, kShort, 1, 5)  // 10: whole
        .Entry(257, kShort, 1, 6)  // 22: whole
        .Raw({0x06, 0x01, 3, 0});  // 34: a third one cut after four bytes
    TTempDir dir;
    TRead read(dir.Write("t.tif", b.Bytes()));
    ASSERT_EQ(read.file.DirectoryCount(), 1);
    EXPECT_EQ(read.Dir().EntryCount(), 2);
    EXPECT_EQ(read.Value(257), 6u);
    EXPECT_EQ(read.Dir().NextOffset(), 0);
}
