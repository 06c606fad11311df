// Files made by others and damaged files: each one is decoded to djpeg's pixels or
// refused with the library's error, and nothing crashes.
#include <algorithm>
#include <cctype>
#include <regex>

#include <jerror.h>

#include "formats/jpeg/Jpeg.h"
#include "platform/runtime/Streams.h"
#include "tests/jpeg/JpegTestSupport.h"

namespace vardel::test {
namespace {

bool IsLibraryError(const std::string& message) {
    static const std::regex pattern("JPEG error #[0-9]+");
    return std::regex_match(message, pattern);
}

std::vector<fs::path> FilesUnder(const fs::path& root, bool jpegOnly) {
    std::vector<fs::path> files;
    if (!fs::is_directory(root)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (!jpegOnly || ext == ".jpg" || ext == ".jpeg") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Loads and decodes; returns the library error's message, or "" when decoded.
std::string LoadAndDecode(TJPEGImage& image, const std::vector<uint8_t>& bytes) {
    try {
        TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
        image.LoadStream(stream);
        image.DecodeBitmap();
        return "";
    } catch (const EJPEG& e) {
        return e.Message();
    }
}

TEST_F(JpegTest, CorpusFilesDecodeLikeDjpegOrAreRefused) {
    const fs::path root = fs::path(VARDEL_CORPUS_DIR) / "jpeg";
    if (!fs::is_directory(root)) GTEST_SKIP() << "no corpus at " << root;
    if (!HaveJpegTools()) GTEST_SKIP() << "cjpeg/djpeg (libjpeg-turbo-progs) not installed";
    int decoded = 0, refused = 0;
    for (const fs::path& file : FilesUnder(root, true)) {
        SCOPED_TRACE(file.string());
        TJPEGImage image;
        const std::string error = LoadAndDecode(image, ReadBytes(file));
        const auto reference = dir_ / "djpeg.bmp";
        const bool djpegDecoded = Decompress(file, reference, image.Grayscale());
        if (!error.empty()) {
            EXPECT_TRUE(IsLibraryError(error)) << error;
            // djpeg's own writer turns CMYK into RGB; the library has no such
            // conversion, and neither have we.
            EXPECT_TRUE(!djpegDecoded ||
                        error == "JPEG error #" + std::to_string(JERR_CONVERSION_NOTIMPL))
                << "djpeg decodes what we refuse with " << error;
            ++refused;
            continue;
        }
        ASSERT_TRUE(djpegDecoded) << "djpeg refuses what we decode";
        EXPECT_TRUE(SamePixels(image.DecodeBitmap(), reference));
        ++decoded;
    }
    std::printf("corpus: %d decoded like djpeg, %d refused\n", decoded, refused);
    EXPECT_GT(decoded, 0);
}

TEST_F(JpegTest, FileCutAtEveryLengthDecodesOrFailsCleanly) {
    if (!HaveJpegTools()) GTEST_SKIP() << "cjpeg/djpeg (libjpeg-turbo-progs) not installed";
    for (const char* options : {"-restart 1", "-progressive"}) {
        SCOPED_TRACE(options);
        const auto source = dir_ / "source.ppm", jpeg = dir_ / "whole.jpg";
        WriteTestPicture(source, 24, 16);
        Compress(source, jpeg, options);
        const std::vector<uint8_t> whole = ReadBytes(jpeg);
        for (size_t length = 0; length <= whole.size(); ++length) {
            const std::vector<uint8_t> cut(whole.begin(),
                                           whole.begin() + static_cast<ptrdiff_t>(length));
            TJPEGImage image;
            const std::string error = LoadAndDecode(image, cut);
            if (!error.empty()) {
                EXPECT_TRUE(IsLibraryError(error)) << length << ": " << error;
            } else {
                // Once the header is in, the rest is made up: the full size always.
                EXPECT_EQ(image.DecodeBitmap().Width(), 24) << length;
                EXPECT_EQ(image.DecodeBitmap().Height(), 16) << length;
            }
        }
    }
}

// Inputs that once crashed or hung the fuzzer, kept under fuzz/regressions/jpeg.
TEST_F(JpegTest, FuzzRegressionsLoadAndDrawSafely) {
    const auto files =
        FilesUnder(fs::path(VARDEL_SOURCE_DIR) / "fuzz" / "regressions" / "jpeg", false);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        TJPEGImage image;
        try {
            const std::string error = LoadAndDecode(image, ReadBytes(file));
            EXPECT_TRUE(error.empty() || IsLibraryError(error) ||
                        error.find("too many scans") != std::string::npos)
                << error;
        } catch (const EOutOfMemory& e) {
            EXPECT_STREQ(e.what(), "Out of memory");
        }
    }
}

}  // namespace
}  // namespace vardel::test
