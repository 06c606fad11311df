// Files made by others and damaged files: each one is decoded to djpeg's pixels or
// refused with the library's error, and nothing crashes.
#include <algorithm>

#include <jerror.h>

#include "platform/runtime/Streams.h"
#include "tests/jpeg/JpegTestSupport.h"

namespace vardel::test {
namespace {

bool IsLibraryError(const std::string& message) {
    const std::string prefix = "JPEG error #";
    return message.rfind(prefix, 0) == 0 && message.size() > prefix.size() &&
           message.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

std::vector<fs::path> JpegFilesUnder(const fs::path& root) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".jpg" || ext == ".JPG" || ext == ".jpeg"))
            files.push_back(entry.path());
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
    REQUIRE_JPEG_TOOLS();
    const fs::path reference = dir_ / "djpeg.bmp";
    int decoded = 0, refused = 0;
    for (const fs::path& file : JpegFilesUnder(root)) {
        SCOPED_TRACE(file.string());
        TJPEGImage image;
        const std::string error = LoadAndDecode(image, ReadBytes(file));
        const bool djpegDecoded = Decompress(file, reference, image.Grayscale());
        if (error.empty()) {
            ASSERT_TRUE(djpegDecoded) << "djpeg refuses what we decode";
            EXPECT_TRUE(SamePixels(image.DecodeBitmap(), reference));
            ++decoded;
            continue;
        }
        EXPECT_TRUE(IsLibraryError(error)) << error;
        // djpeg's own writer turns CMYK into RGB; the library cannot, nor can we.
        EXPECT_TRUE(!djpegDecoded || error == LibraryError(JERR_CONVERSION_NOTIMPL))
            << "djpeg decodes what we refuse with " << error;
        ++refused;
    }
    std::printf("corpus: %d decoded like djpeg, %d refused\n", decoded, refused);
    EXPECT_GT(decoded, 0);
}

TEST_F(JpegTest, FileCutAtEveryLengthDecodesOrFailsCleanly) {
    REQUIRE_JPEG_TOOLS();
    for (const char* options : {"-restart 1", "-progressive"}) {
        SCOPED_TRACE(options);
        const std::vector<uint8_t> whole = ReadBytes(MakeJpeg(dir_, "whole.jpg", 24, 16, options));
        for (size_t length = 0; length <= whole.size(); ++length) {
            TJPEGImage image;
            const std::string error = LoadAndDecode(
                image, {whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length)});
            // Once the header is in, the rest is made up: always the full size.
            if (error.empty())
                EXPECT_EQ(image.DecodeBitmap().Width() * image.DecodeBitmap().Height(), 24 * 16)
                    << length;
            else
                EXPECT_TRUE(IsLibraryError(error)) << length << ": " << error;
        }
    }
}

}  // namespace
}  // namespace vardel::test
