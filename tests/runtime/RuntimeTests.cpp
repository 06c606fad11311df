#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/runtime/Convert.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/FloatMath.h"
#include "platform/runtime/Streams.h"
#include "tests/MessageOf.h"

using namespace vardel;
namespace fs = std::filesystem;

namespace {
using test::MessageOf;

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

TEST(StrToInt, AcceptsBlanksSignsAndHexPatternsAndRefusesEverythingElseWithTheText) {
    const std::pair<const char*, int> good[] = {
        {"50", 50},  {" 7", 7},         {"   -12", -12},           {"+8", 8},
        {"$1F", 31}, {"x10", 16},       {"0x7fffffff", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"007", 7},  {"$FFFFFFFF", -1}, {"0x80000000", INT32_MIN}, {"$000000001", 1}};
    for (const auto& [text, value] : good) EXPECT_EQ(StrToInt(text), value) << text;
    for (const char* bad : {"", " ", "7 ", "abc", "1a", "-", "$", "0x", "-$10", "+x1", "2147483648",
                            "-2147483649", "$100000000", "x1FFFFFFFF", "1.5", "$-1", "$ 1"})
        EXPECT_EQ(MessageOf<EConvertError>([&] { StrToInt(bad); }),
                  std::string("'") + bad + "' is not a valid integer value");
}

TEST(FloatMath, RoundsHalvesToEvenAndReportsDivisionFaults) {
    const std::pair<Extended, int> rounded[] = {
        {0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-2.5L, -2}, {2.6L, 3}};
    for (const auto& [value, result] : rounded) EXPECT_EQ(RoundHalfEven(value), result) << value;
    // The contrast table's halves: (255 - 20) / 190 * 57 + 20 = 90.5 exactly in 64 bits.
    const Extended q = Divide(235, 190);
    EXPECT_EQ(RoundHalfEven(q * 57 + 20), 90);
    EXPECT_EQ(RoundHalfEven(q * 133 + 20), 184);
    EXPECT_EQ(RoundHalfEven(q * 19 + 20), 44);
    EXPECT_THROW(Divide(1, 0), EZeroDivide);
    EXPECT_EQ(MessageOf<EInvalidOp>([] { Divide(0, 0); }), "Invalid floating point operation");
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
    EXPECT_EQ(MessageOf<EReadError>([&] { m.ReadBuffer(buf, 3); }), "Stream read error");
}

TEST(Files, DriveNamesMapIntoTheDataFolderAndMessagesKeepTheName) {
    TempHome home;
    EXPECT_EQ(ResolveFileName("C:\\fotos\\a.bmp"),
              (home.dir / "vardel/drive_c/fotos/a.bmp").string());
    EXPECT_EQ(ResolveFileName("/tmp/x.bmp"), "/tmp/x.bmp");
    EXPECT_EQ(
        MessageOf<EFCreateError>([] { TFileStream f("C:\\missing\\t.bin", FileMode::Create); }),
        "Cannot create file C:\\missing\\t.bin");
    EXPECT_EQ(MessageOf<EFOpenError>([] { TFileStream f("C:\\1.jpg", FileMode::OpenRead); }),
              "Cannot open file C:\\1.jpg");
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

TEST(Files, ALoadKeepsWritersOutAndASaveKeepsLoadsOut) {
    TempHome home;
    const char* name = "C:\\shared.bin";
    auto create = [&] { TFileStream f(name, FileMode::Create); };
    auto open = [&] { TFileStream f(name, FileMode::OpenRead); };
    {
        TFileStream f(name, FileMode::Create);
        f.WriteBuffer("abc", 3);
    }
    {
        TFileStream reading(name, FileMode::OpenRead);
        TFileStream alsoReading(name, FileMode::OpenRead);  // loads share the file
        EXPECT_EQ(MessageOf<EFCreateError>(create), "Cannot create file C:\\shared.bin");
        EXPECT_EQ(FileSizeByName(name), 3);  // the refused save truncated nothing
        uint8_t bytes[3];
        reading.ReadBuffer(bytes, 3);
        EXPECT_EQ(bytes[2], 'c');
    }
    {
        TFileStream writing(name, FileMode::Create);
        EXPECT_EQ(MessageOf<EFOpenError>(open), "Cannot open file C:\\shared.bin");
    }
    EXPECT_NO_THROW(open());
    EXPECT_NO_THROW(create());
}

TEST(Files, ExtensionsFollowTheLastDotAfterAnySeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"imagen.TIF", "TIF"}, {"C:\\fotos.2005\\imagen", ""},
        {"/a.b/c", ""},        {"C:x.jpeg", "jpeg"},
        {"name.", ""},         {"a.tar.gz", "gz"}};
    for (const auto& [name, extension] : cases) EXPECT_EQ(ExtensionOf(name), extension) << name;
}
