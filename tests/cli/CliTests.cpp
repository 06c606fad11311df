// vardel-cli as scripts use it: `convert` writes every picture as an uncompressed 32-bit
// BMP of what the workbench shows, and no failed or empty output is reported as written.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "graphics/Bitmap.h"
#include "platform/runtime/ByteOrder.h"
#include "tests/graphics/BmpBuilder.h"

namespace vardel::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string output;  // standard output and error together
};

Outcome Cli(const std::string& arguments) {
    FILE* pipe = popen((std::string(VARDEL_CLI) + " " + arguments + " 2>&1").c_str(), "r");
    Outcome outcome{-1, {}};
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) outcome.output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

struct TempDir {
    fs::path dir = fs::temp_directory_path() / ("vardel-cli-" + std::to_string(::getpid()));
    TempDir() { fs::create_directories(dir); }
    ~TempDir() { fs::remove_all(dir); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return (dir / name).string();
    }
};

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A header record with the given frame (0.01 mm) and an end record.
std::vector<uint8_t> Emf(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    std::vector<uint8_t> b;
    for (uint32_t v : {1u, 100u, 0u, 0u, 10u, 10u}) AppendLe32(b, v);  // type, size, bounds
    for (int32_t v : {left, top, right, bottom}) AppendLe32(b, static_cast<uint32_t>(v));
    for (uint32_t v : {0x464D4520u, 0x10000u, 120u, 2u, 1u, 0u, 0u, 0u, 1024u, 768u, 320u, 240u})
        AppendLe32(b, v);  // signature, version, bytes, records, handles, description...
    b.resize(100, 0);
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) AppendLe32(b, v);  // end of file
    return b;
}

TEST(CliConvert, EveryBitmapEncodingBecomesAnUncompressed32BitBmpOfTheSamePixels) {
    TempDir tmp;
    const std::vector<std::array<uint8_t, 3>> colors = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}};
    const BmpSpec specs[] = {
        // Run-length: three red, then (absolute) green blue green, on two rows.
        {.width = 3,
         .height = 2,
         .bits = 8,
         .compression = 1,
         .clrUsed = 3,
         .colors = colors,
         .pixels = {3, 0, 0, 0, 0, 3, 1, 2, 1, 0, 0, 1}},
        // 5-6-5 bit fields, top-down.
        {.width = 2,
         .height = -2,
         .bits = 16,
         .compression = 3,
         .masks = {0xF800, 0x07E0, 0x001F},
         .pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF}},
        // 5-5-5 without masks.
        {.width = 1, .height = 1, .bits = 16, .pixels = {0x1F, 0x7C, 0, 0}},
        {.width = 2,
         .height = 1,
         .bits = 4,
         .clrUsed = 3,
         .colors = colors,
         .pixels = {0x12, 0, 0, 0}},
    };
    int n = 0;
    for (const BmpSpec& spec : specs) {
        const std::string in = tmp.Write("in" + std::to_string(n) + ".bmp", BuildBmp(spec));
        const std::string out = (tmp.dir / ("out" + std::to_string(n++) + ".bmp")).string();
        ASSERT_EQ(Cli("convert " + in + " " + out).status, 0) << in;
        const std::vector<uint8_t> written = ReadAll(out);
        ASSERT_GE(written.size(), 54u);
        EXPECT_EQ(LoadLe16(&written[28]), 32) << in;  // bits per pixel
        EXPECT_EQ(LoadLe32(&written[30]), 0u) << in;  // no compression
        TBitmap source, converted;
        source.LoadFile(in);
        converted.LoadFile(out);
        ASSERT_EQ(converted.Width(), source.Width());
        ASSERT_EQ(converted.Height(), source.Height());
        for (int y = 0; y < source.Height(); ++y)
            for (int x = 0; x < source.Width(); ++x)
                EXPECT_EQ(converted.Surface().ReadPixel(x, y), source.Surface().ReadPixel(x, y))
                    << in << " at " << x << "," << y;
    }
}

TEST(CliConvert, AFailedOrEmptyOutputIsNeverReportedAsWritten) {
    TempDir tmp;
    const std::string out = (tmp.dir / "out.bmp").string();
    // A frame whose width does not fit in 32 bits.
    const std::string absurd = tmp.Write("absurd.emf", Emf(INT32_MIN, 0, INT32_MAX, 100));
    EXPECT_EQ(Cli("convert " + absurd + " " + out).output, "Metafile is not valid\n");
    EXPECT_FALSE(fs::exists(out));
    // A frame without area has nothing to show.
    const std::string flat = tmp.Write("flat.emf", Emf(0, 0, 0, 100));
    const Outcome empty = Cli("convert " + flat + " " + out);
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.output, "No image decoded from " + flat + "\n");
    // A disk that takes nothing.
    const std::string bmp =
        tmp.Write("small.bmp", BuildBmp({.pixels = std::vector<uint8_t>(16, 7)}));
    for (const char* command : {"convert", "save"}) {
        const Outcome full = Cli(std::string(command) + " " + bmp + " /dev/full");
        EXPECT_EQ(full.status, 1) << command;
        EXPECT_EQ(full.output, "Stream write error\n") << command;
    }
    // A GIF without frames gives no frame files.
    const std::vector<uint8_t> noFrames = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B};
    const std::string gif = tmp.Write("none.gif", noFrames);
    const Outcome frames = Cli("frames " + gif + " " + (tmp.dir / "frames").string());
    EXPECT_EQ(frames.status, 1);
    EXPECT_EQ(frames.output, "No image decoded from " + gif + "\n");
}

}  // namespace
}  // namespace vardel::test
