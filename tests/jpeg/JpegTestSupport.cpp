#include "tests/jpeg/JpegTestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace vardel::test {

TScratchDir::TScratchDir() {
    static std::atomic<int> serial{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "jpeg";
    for (char& c : name)
        if (c == '/') c = '_';
    path_ = fs::path(::testing::TempDir()) / ("vardel-jpeg-" + std::to_string(::getpid()) + "-" +
                                              std::to_string(serial++) + "-" + name);
    fs::create_directories(path_);
}

TScratchDir::~TScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void WriteTestPicture(const fs::path& file, int width, int height) {
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = static_cast<int>((noise >> 16) & 31) - 16;
            const bool square = ((x / 7) + (y / 5)) % 3 == 0;
            const int r = square ? 250 : x * 255 / std::max(width - 1, 1);
            const int g = square ? 20 : y * 255 / std::max(height - 1, 1);
            const int b = ((x * y) & 0xFF) / 2 + 64;
            for (int v : {r + n, g - n, b + n / 2})
                out.put(static_cast<char>(std::clamp(v, 0, 255)));
        }
    }
}

bool HaveJpegTools() {
    return std::string(VARDEL_CJPEG).size() && std::string(VARDEL_DJPEG).size();
}

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

int RunCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Compress(const fs::path& source, const fs::path& target, const std::string& options) {
    const std::string command = std::string(VARDEL_CJPEG) + " " + options + " -outfile " +
                                Quote(target) + " " + Quote(source);
    ASSERT_EQ(RunCommand(command), 0) << command;
}

bool Decompress(const fs::path& source, const fs::path& target, bool quantised,
                const std::string& extra) {
    std::error_code ignored;
    fs::remove(target, ignored);
    const std::string command = std::string(VARDEL_DJPEG) + " -dct float -bmp " +
                                (quantised ? "-colors 236 " : "") + extra + " -outfile " +
                                Quote(target) + " " + Quote(source) + " 2>/dev/null";
    // djpeg ends with 2 after warnings (a damaged but decoded file), 1 after an error.
    const int status = RunCommand(command);
    return (status == 0 || status == 2) && fs::exists(target) && fs::file_size(target) > 0;
}

std::vector<uint32_t> Pixels(TBitmap& bitmap) {
    std::vector<uint32_t> pixels;
    const int width = bitmap.Width(), height = bitmap.Height();
    pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
    TCanvas& canvas = bitmap.Surface();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(static_cast<uint32_t>(canvas.ReadPixel(x, y)));
    return pixels;
}

std::vector<uint32_t> BmpPixels(const fs::path& file) {
    TBitmap bitmap;
    bitmap.LoadFile(file.string());
    return Pixels(bitmap);
}

::testing::AssertionResult SamePixels(TBitmap& ours, const fs::path& reference) {
    TBitmap theirs;
    theirs.LoadFile(reference.string());
    if (ours.Width() != theirs.Width() || ours.Height() != theirs.Height())
        return ::testing::AssertionFailure()
               << "size " << ours.Width() << "x" << ours.Height() << ", djpeg " << theirs.Width()
               << "x" << theirs.Height();
    const std::vector<uint32_t> a = Pixels(ours), b = Pixels(theirs);
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && differing++ == 0) first = i;
    if (differing == 0) return ::testing::AssertionSuccess();
    const int width = std::max(ours.Width(), 1);
    std::ostringstream text;
    text << differing << " pixels differ; first at (" << first % width << ", " << first / width
         << "): 0x" << std::hex << a[first] << " against djpeg's 0x" << b[first];
    return ::testing::AssertionFailure() << text.str();
}

}  // namespace vardel::test
