// vardel-cli with JPEG files: info from the header, convert to what the workbench
// shows, save writing the JPEG bytes.
#include <cstdio>

#include <sys/wait.h>

#include "tests/jpeg/JpegTestSupport.h"

namespace vardel::test {
namespace {

std::string Output(const std::string& command, int& status) {
    FILE* pipe = popen(command.c_str(), "r");
    std::string text;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    status = pipe ? pclose(pipe) : -1;
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return text;
}

TEST_F(JpegTest, CompanionReportsConvertsAndSavesJpegFiles) {
    if (!HaveJpegTools()) GTEST_SKIP() << "cjpeg/djpeg (libjpeg-turbo-progs) not installed";
    const std::string cli = VARDEL_CLI;
    const auto source = dir_ / "source.ppm", jpeg = dir_ / "picture.JPEG", grey = dir_ / "grey.jpg";
    WriteTestPicture(source, 57, 31);
    Compress(source, jpeg, "-progressive");
    Compress(source, grey, "-grayscale");

    int status = 0;
    EXPECT_EQ(Output(cli + " info " + Quote(jpeg), status),
              "{\"kind\":\"jpeg\",\"width\":57,\"height\":31,\"grey\":false,\"progressive\":true,"
              "\"multiScan\":true,\"bytes\":" +
                  std::to_string(fs::file_size(jpeg)) + "}\n");
    EXPECT_EQ(status, 0);

    for (const auto& [file, quantised] : {std::pair{jpeg, false}, std::pair{grey, true}}) {
        SCOPED_TRACE(file.string());
        const auto converted = dir_ / "converted.bmp", reference = dir_ / "djpeg.bmp";
        EXPECT_EQ(RunCommand(cli + " convert " + Quote(file) + " " + Quote(converted)), 0);
        ASSERT_TRUE(Decompress(file, reference, quantised));
        EXPECT_EQ(BmpPixels(converted), BmpPixels(reference));
    }

    const auto saved = dir_ / "saved.bmp";
    EXPECT_EQ(RunCommand(cli + " save " + Quote(jpeg) + " " + Quote(saved)), 0);
    EXPECT_EQ(ReadBytes(saved), ReadBytes(jpeg));

    // A damaged file: the library's error on standard error, status 1.
    const auto broken = dir_ / "broken.jpg";
    WriteBytes(broken, {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0xFF, 0xD9});
    const std::string error =
        Output(cli + " convert " + Quote(broken) + " " + Quote(dir_ / "x.bmp") + " 2>&1", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(error.rfind("JPEG error #", 0), 0u) << error;
}

}  // namespace
}  // namespace vardel::test
