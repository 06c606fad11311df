// vardel-cli with JPEG files: info from the header, convert to what the workbench
// shows, save writing the JPEG bytes, the library's error for damaged files.
#include "tests/jpeg/JpegTestSupport.h"

namespace vardel::test {
namespace {

TEST_F(JpegTest, CompanionReportsConvertsAndSavesJpegFiles) {
    REQUIRE_JPEG_TOOLS();
    const std::string cli = VARDEL_CLI;
    const fs::path jpeg = MakeJpeg(dir_, "picture.JPEG", 57, 31, "-progressive"),
                   grey = MakeJpeg(dir_, "grey.jpg", 57, 31, "-grayscale");
    int status = 0;
    EXPECT_EQ(Output(cli + " info " + Quote(jpeg), status),
              "{\"kind\":\"jpeg\",\"width\":57,\"height\":31,\"grey\":false,\"progressive\":true,"
              "\"multiScan\":true,\"bytes\":" +
                  std::to_string(fs::file_size(jpeg)) + "}\n");
    EXPECT_EQ(status, 0);

    const fs::path converted = dir_ / "converted.bmp", reference = dir_ / "djpeg.bmp";
    for (const auto& [file, quantised] : {std::pair{jpeg, false}, std::pair{grey, true}}) {
        EXPECT_EQ(RunCommand(cli + " convert " + Quote(file) + " " + Quote(converted)), 0);
        ASSERT_TRUE(Decompress(file, reference, quantised));
        TBitmap bitmap;
        bitmap.LoadFile(converted.string());
        EXPECT_TRUE(SamePixels(bitmap, reference)) << file;
    }

    const fs::path saved = dir_ / "saved.bmp";
    EXPECT_EQ(RunCommand(cli + " save " + Quote(jpeg) + " " + Quote(saved)), 0);
    EXPECT_EQ(ReadBytes(saved), ReadBytes(jpeg));

    const fs::path broken = dir_ / "broken.jpg";
    WriteBytes(broken, {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0xFF, 0xD9});
    const std::string error =
        Output(cli + " convert " + Quote(broken) + " " + Quote(converted) + " 2>&1", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(error.rfind("JPEG error #", 0), 0u) << error;
}

}  // namespace
}  // namespace vardel::test
