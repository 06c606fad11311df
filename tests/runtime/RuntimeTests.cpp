#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/runtime/Convert.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/FloatMath.h"
#include "platform/runtime/Streams.h"

using namespace vardel;
namespace fs = std::filesystem;

namespace {
std::string ConvertMessage(std::string_view text) {
    try {
        StrToInt(text);
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "no error";
}

// A private data folder for the drive mapping.
struct TempHome {
    fs::path dir = fs::temp_directory_path() / ("vardel-rt-" + std::to_string(::getpid()));
    TempHome() {
        fs::create_directories(dir);
        ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
    }
    ~TempHome() { fs::remove_all(dir); }
};
}  // namespace

TEST(StrToInt, AcceptsBlanksSignsAndHexPrefixes) {
    EXPECT_EQ(StrToInt("50"), 50);
    EXPECT_EQ(StrToInt(" 7"), 7);
    EXPECT_EQ(StrToInt("   -12"), -12);
    EXPECT_EQ(StrToInt("+8"), 8);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("x10"), 16);
    EXPECT_EQ(StrToInt("0x7fffffff"), INT32_MAX);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("007"), 7);
}

TEST(StrToInt, RefusesEverythingElseWithTheText) {
    for (const char* bad : {"", " ", "7 ", "abc", "1a", "-", "$", "0x", "-$10", "+x1", "2147483648",
                            "-2147483649", "0x80000000", "1.5"})
        EXPECT_EQ(ConvertMessage(bad), std::string("'") + bad + "' is not a valid integer value") << bad;
}

TEST(FloatMath, RoundsHalvesToEvenAndReportsDivisionFaults) {
    EXPECT_EQ(RoundHalfEven(0.5L), 0);
    EXPECT_EQ(RoundHalfEven(1.5L), 2);
    EXPECT_EQ(RoundHalfEven(2.5L), 2);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
    EXPECT_EQ(RoundHalfEven(2.6L), 3);
    // The contrast table's halves: (255 - 20) / 190 * 57 + 20 = 90.5 exactly in 64 bits.
    const Extended q = Divide(235, 190);
    EXPECT_EQ(RoundHalfEven(q * 57 + 20), 90);
    EXPECT_EQ(RoundHalfEven(q * 133 + 20), 184);
    EXPECT_EQ(RoundHalfEven(q * 19 + 20), 44);
    EXPECT_THROW(Divide(1, 0), EZeroDivide);
    EXPECT_THROW(Divide(0, 0), EInvalidOp);
    try {
        Divide(0, 0);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid floating point operation");
    }
}

TEST(Streams, MemoryStreamReadsExactlyOrFails) {
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    EXPECT_EQ(m.Size(), 6);
    m.SetPosition(2);
    char buf[4] = {};
    m.ReadBuffer(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "cde");
    EXPECT_EQ(m.ReadByte(), 'f');
    EXPECT_EQ(m.ReadByte(), -1);
    m.SetPosition(4);
    try {
        m.ReadBuffer(buf, 3);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
}

TEST(Files, DriveNamesMapIntoTheDataFolderAndMessagesKeepTheName) {
    TempHome home;
    EXPECT_EQ(ResolveFileName("C:\\fotos\\a.bmp"), (home.dir / "vardel/drive_c/fotos/a.bmp").string());
    EXPECT_EQ(ResolveFileName("/tmp/x.bmp"), "/tmp/x.bmp");
    try {
        TFileStream f("C:\\missing\\t.bin", FileMode::Create);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file C:\\missing\\t.bin");
    }
    try {
        TFileStream f("C:\\1.jpg", FileMode::OpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file C:\\1.jpg");
    }
    // The drive's root exists as a drive's root does, folders below it do not.
    EXPECT_FALSE(fs::exists(home.dir / "vardel/drive_c/missing"));
    {
        TFileStream f("C:\\t.bin", FileMode::Create);
        for (int i = 0; i < 100000; ++i) {
            const uint8_t b = static_cast<uint8_t>(i);
            f.WriteBuffer(&b, 1);
        }
    }
    EXPECT_TRUE(FileExists("C:\\t.bin"));
    EXPECT_EQ(FileSizeByName("C:\\t.bin"), 100000);
    EXPECT_EQ(FileSizeByName("C:\\none"), -1);
    TFileStream f("C:\\t.bin", FileMode::OpenRead);
    EXPECT_EQ(f.Size(), 100000);
    f.SetPosition(70000);
    EXPECT_EQ(f.ReadByte(), 70000 & 0xFF);
    f.Seek(-2, SeekOrigin::Current);
    EXPECT_EQ(f.ReadByte(), 69999 & 0xFF);
    f.Seek(-1, SeekOrigin::End);
    EXPECT_EQ(f.ReadByte(), 99999 & 0xFF);
    EXPECT_EQ(f.ReadByte(), -1);
    std::vector<uint8_t> all(100000);
    f.SetPosition(0);
    f.ReadBuffer(all.data(), all.size());
    for (size_t i = 0; i < all.size(); i += 997) ASSERT_EQ(all[i], static_cast<uint8_t>(i));
}

TEST(Files, ExtensionsFollowTheLastDotAfterAnySeparator) {
    EXPECT_EQ(ExtensionOf("imagen.TIF"), "TIF");
    EXPECT_EQ(ExtensionOf("C:\\fotos.2005\\imagen"), "");
    EXPECT_EQ(ExtensionOf("/a.b/c"), "");
    EXPECT_EQ(ExtensionOf("C:x.jpeg"), "jpeg");
    EXPECT_EQ(ExtensionOf("name."), "");
    EXPECT_EQ(ExtensionOf("a.tar.gz"), "gz");
}
