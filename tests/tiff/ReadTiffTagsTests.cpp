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
};

uint32_t ValueOf(const TGraphicTiff& dir, uint16_t tag) {
    return dir.Value(*dir.FindTag(tag));
}

}  // namespace

TEST(TiffFile, MissingNameLeavesAnEmptyValidFileOnDisk) {
    TTempDir dir;
    const std::string path = dir.Path("new.tif");
    TFileTiff file;
    file.SetFileName(path);
    EXPECT_EQ(ReadAll(path),
              (std::vector<uint8_t>{0x49, 0x49, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(file.Valid());
    EXPECT_EQ(file.DirectoryCount(), 0);
    EXPECT_EQ(file.FileName(), path);
    EXPECT_EQ(file.GetDirectory(0), nullptr);
}

TEST(TiffFile, DriveNamesMapToTheDriveFolder) {
    TTempDir dir;
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string restore = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", dir.Dir().c_str(), 1);
    std::filesystem::create_directories(DriveFolder('c'));
    {
        TFileTiff file;
        file.SetFileName("C:\\saturn.tif");
        EXPECT_TRUE(file.Valid());
        EXPECT_EQ(file.FileName(), "C:\\saturn.tif");
        EXPECT_EQ(ReadAll(DriveFolder('c') + "/saturn.tif").size(), 8u);
    }
    if (saved)
        ::setenv("XDG_DATA_HOME", restore.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST(TiffFile, HeaderChecks) {
    TTempDir dir;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"little", {'I', 'I', 42, 0, 0, 0, 0, 0}, true},
        {"big", {'M', 'M', 0, 42, 0, 0, 0, 0}, true},
        {"mixed mark", {'I', 'M', 42, 0, 0, 0, 0, 0}, false},
        {"magic in the other order", {'M', 'M', 42, 0, 0, 0, 0, 0}, false},
        {"BigTIFF magic", {'I', 'I', 43, 0, 8, 0, 0, 0}, false},
        {"seven bytes", {'I', 'I', 42, 0, 0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        TRead read(dir.Write("h.tif", c.bytes));
        EXPECT_EQ(read.file.Valid(), c.valid) << c.name;
        EXPECT_EQ(read.file.DirectoryCount(), 0) << c.name;
        // A file too short to hold a header keeps no name.
        EXPECT_EQ(read.file.FileName().empty(), c.bytes.size() < 8) << c.name;
    }
}

TEST(TiffFile, SameNameTwiceKeepsWhatWasRead) {
    TTempDir dir;
    const auto image = BuildTiff(true, {ImageDirectory(1, 1, {8}, 1, {7}, 1)});
    const std::string path = dir.Write("a.tif", image);
    TFileTiff file;
    file.SetFileName(path);
    ASSERT_EQ(file.DirectoryCount(), 1);
    dir.Write("a.tif", {'I', 'I', 42, 0, 0, 0, 0, 0});
    file.SetFileName(path);
    EXPECT_EQ(file.DirectoryCount(), 1);

    // An empty name forgets everything; a short file in between does not keep the
    // old name either, so the first file is read again afterwards.
    file.SetFileName("");
    EXPECT_FALSE(file.Valid());
    EXPECT_EQ(file.DirectoryCount(), 0);
    dir.Write("a.tif", image);
    file.SetFileName(path);
    file.SetFileName(dir.Write("short.tif", {'I', 'I', 42}));
    EXPECT_FALSE(file.Valid());
    file.SetFileName(path);
    EXPECT_TRUE(file.Valid());
    EXPECT_EQ(file.DirectoryCount(), 1);
}

TEST(TiffFile, BigEndianValuesAndShortArrays) {
    TBytes b(false);
    b.Header(8)                       // "MM", 42, first directory at 8
        .U16(4)                       // 8: four entries
        .Entry(256, kShort, 1, 512)   // ImageWidth SHORT 512: value in the first two bytes
        .Entry(257, kLong, 1, 70000)  // ImageLength LONG
        .U16(273)
        .U16(kShort)
        .U32(3)
        .U32(62)  // StripOffsets: 3 SHORTs at 62
        .U16(279)
        .U16(kShort)
        .U32(3)
        .U32(68)  // StripByteCounts: 3 SHORTs at 68
        .U32(0)   // 58: no next directory
        .U16(0x0102)
        .U16(0x0304)
        .U16(0x0506)  // 62: offsets, high byte first
        .U16(10)
        .U16(20)
        .U16(30);  // 68: byte counts
    TTempDir dir;
    TRead read(dir.Write("be.tif", b.Bytes()));
    ASSERT_TRUE(read.file.Valid());
    EXPECT_FALSE(read.file.IntelOrder());
    const TGraphicTiff& d = read.Dir();
    EXPECT_EQ(ValueOf(d, 256), 512u);
    EXPECT_EQ(ValueOf(d, 257), 70000u);
    ASSERT_EQ(d.StripCount(), 3);
    EXPECT_EQ(d.GetStrip(0)->offset, 0x0102u);
    EXPECT_EQ(d.GetStrip(2)->offset, 0x0506u);
    EXPECT_EQ(d.GetStrip(1)->byteCount, 20u);
    EXPECT_EQ(d.GetStrip(3), nullptr);
    EXPECT_EQ(d.LinkOffset(), 58u);
}

TEST(TiffFile, StripTables) {
    TTempDir dir;
    auto stripsOf = [&](bool intel, std::vector<TEntrySpec> entries) {
        TRead read(dir.Write("s.tif", BuildTiff(intel, {TDirectorySpec{std::move(entries), {}}})));
        const TGraphicTiff& d = read.Dir();
        std::vector<std::pair<uint32_t, uint32_t>> out;
        for (uint16_t i = 0; i < d.StripCount(); ++i)
            out.emplace_back(d.GetStrip(i)->offset, d.GetStrip(i)->byteCount);
        return out;
    };
    using Strips = std::vector<std::pair<uint32_t, uint32_t>>;
    for (bool intel : {true, false}) {
        // One strip: taken straight from the two entries' values.
        EXPECT_EQ(stripsOf(intel, {{273, kLong, {100}}, {279, kShort, {7}}}), (Strips{{100, 7}}));
        // Two SHORTs fit in the value bytes.
        EXPECT_EQ(stripsOf(intel, {{273, kShort, {9, 11}}, {279, kShort, {2, 3}}}),
                  (Strips{{9, 2}, {11, 3}}));
        // Four offsets and three counts do not make a table.
        EXPECT_EQ(stripsOf(intel, {{273, kLong, {1, 2, 3, 4}}, {279, kLong, {1, 2, 3}}}), Strips{});
        EXPECT_EQ(stripsOf(intel, {{273, kLong, {5}}}), Strips{});
        // The later of two StripByteCounts entries holds.
        EXPECT_EQ(stripsOf(intel, {{279, kLong, {1}}, {273, kLong, {5}}, {279, kLong, {6}}}),
                  (Strips{{5, 6}}));
    }
    // More strips than 16 bits count: no table.
    std::vector<uint32_t> many(65536, 8);
    EXPECT_EQ(stripsOf(true, {{273, kLong, many}, {279, kLong, many}}), Strips{});
    // Arrays at an offset past the end of the file: no table.
    TBytes b;
    b.Header(8)
        .U16(2)  // 8: two entries
        .U16(273)
        .U16(kLong)
        .U32(2)
        .U32(4000)  // StripOffsets: two LONGs at 4000
        .U16(279)
        .U16(kLong)
        .U32(2)
        .U32(4000)  // StripByteCounts: the same
        .U32(0);    // no next directory
    EXPECT_EQ(TRead(dir.Write("cut.tif", b.Bytes())).Dir().StripCount(), 0);
}

TEST(TiffFile, DuplicateTagsGiveTheLastOne) {
    TTempDir dir;
    TRead read(dir.Write(
        "d.tif", BuildTiff(false, {TDirectorySpec{{{256, kShort, {1}}, {256, kShort, {2}}}, {}}})));
    EXPECT_EQ(ValueOf(read.Dir(), 256), 2u);
    EXPECT_EQ(read.Dir().FindTag(257), nullptr);
    EXPECT_EQ(read.Dir().EntryCount(), 2);
}

TEST(TiffFile, ChainEndsAtSmallOrNegativeOffsets) {
    TTempDir dir;
    for (uint32_t next : {0u, 1u, 7u, 0x80000000u, 0xFFFFFFFFu}) {
        TBytes b;
        b.Header(8)
            .U16(0)      // 8: a directory without entries...
            .U32(next);  // 10: ...whose next offset follows the count at once
        b.PadTo(64);
        TRead read(dir.Write("n.tif", b.Bytes()));
        EXPECT_EQ(read.file.DirectoryCount(), 1) << next;
        EXPECT_EQ(read.Dir().EntryCount(), 0);
        EXPECT_EQ(read.Dir().StripCount(), 0);
        EXPECT_EQ(read.Dir().LinkOffset(), 10u);
    }
    // 8 is a directory again, so a first directory pointing at 8 loops to itself.
    TBytes self;
    self.Header(8).U16(0).U32(8);
    EXPECT_EQ(TRead(dir.Write("self.tif", self.Bytes())).file.DirectoryCount(), 1);
    // Three directories, the last one back to the second.
    TBytes loop;
    loop.Header(8).U16(0).U32(14).U16(0).U32(20).U16(0).U32(14);
    EXPECT_EQ(TRead(dir.Write("loop.tif", loop.Bytes())).file.DirectoryCount(), 3);
}

TEST(TiffFile, LongChainsAreCutAtTheLimit) {
    TBytes b;
    b.Header(8);
    for (int i = 0; i < 300; ++i) {
        const auto next = static_cast<uint32_t>(b.Size() + 6);
        b.U16(0).U32(next);  // a directory without entries, followed by the next one
    }
    b.U32(0);
    TTempDir dir;
    TRead read(dir.Write("long.tif", b.Bytes()));
    EXPECT_EQ(read.file.DirectoryCount(), TFileTiff::kMaxDirectories);
    EXPECT_NE(read.file.GetDirectory(255), nullptr);
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
    EXPECT_EQ(ValueOf(read.Dir(), 257), 6u);
    EXPECT_EQ(read.Dir().NextOffset(), 0);
    EXPECT_FALSE(read.Dir().ReadError());
}

TEST(TiffFile, EveryCutOfAValidFileIsReadSafely) {
    std::vector<uint8_t> rows(3 * 4 * 5);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i);
    for (bool intel : {true, false}) {
        const auto full = BuildTiff(intel, {ImageDirectory(4, 5, {8, 8, 8}, 2, rows, 2),
                                            ImageDirectory(4, 5, {8, 8, 8}, 2, rows, 5)});
        TTempDir dir;
        ASSERT_EQ(TRead(dir.Write("full.tif", full)).file.DirectoryCount(), 2);
        for (size_t n = 0; n < full.size(); ++n) {
            TRead read(
                dir.Write("cut" + std::to_string(n) + ".tif", {full.begin(), full.begin() + n}));
            EXPECT_EQ(read.file.Valid(), n >= 8) << n;
            EXPECT_LE(read.file.DirectoryCount(), 2) << n;
        }
    }
}
