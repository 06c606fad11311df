// The JPEG picture as a graphic: deferred decoding, loading failures, saving, size,
// assignment, palette, and the limits on hostile files.
#include <jerror.h>

#include "formats/jpeg/JpegProgress.h"
#include "graphics/Picture.h"
#include "platform/runtime/Streams.h"
#include "tests/jpeg/JpegTestSupport.h"

namespace vardel::test {
namespace {

TEST_F(JpegTest, LoadingKeepsTheBytesAndTheFirstDrawDecodesOnce) {
    REQUIRE_JPEG_TOOLS();
    const fs::path jpeg = MakeJpeg(dir_, "a.jpg", 48, 20, "-progressive");
    TPicture picture;
    int decodes = 0;
    picture.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const gdi::RECT&,
                             const std::string&) {
        decodes += stage == TProgressStage::psStarting;
    };
    picture.LoadFile(jpeg.string());
    auto& image = dynamic_cast<TJPEGImage&>(*picture.Graphic());
    EXPECT_EQ(picture.Width(), 48);  // from the header
    EXPECT_EQ(picture.Height(), 20);
    EXPECT_EQ(decodes, 0);
    EXPECT_FALSE(image.Decoded());

    TBitmap shown;
    shown.SetSize(48, 20);
    shown.Surface().DrawGraphic(0, 0, &image);
    TBitmap* first = &image.DecodeBitmap();
    shown.Surface().DrawGraphic(0, 0, &image);
    EXPECT_EQ(decodes, 1);
    EXPECT_EQ(&image.DecodeBitmap(), first);

    // Saved under any name, the bytes are those loaded.
    const fs::path saved = dir_ / "copy.bmp";
    picture.SaveFile(saved.string());
    EXPECT_EQ(ReadBytes(saved), ReadBytes(jpeg));
}

TEST_F(JpegTest, EmptyFileFailsOnFirstDrawWithTheInputEmptyError) {
    const fs::path empty = dir_ / "empty.jpg";
    WriteBytes(empty, {});
    TPicture picture;
    picture.LoadFile(empty.string());
    auto& image = dynamic_cast<TJPEGImage&>(*picture.Graphic());
    EXPECT_FALSE(image.IsEmpty());  // an empty byte stream still counts as held
    TBitmap shown;
    shown.SetSize(4, 4);
    EXPECT_EQ(MessageOf<EJPEG>([&] { shown.Surface().DrawGraphic(0, 0, &image); }),
              LibraryError(JERR_INPUT_EMPTY));
    EXPECT_NO_THROW(shown.Surface().DrawGraphic(0, 0, &image));  // not repeated
}

TEST_F(JpegTest, FileThatIsNotJpegIsRefusedAndThePictureKeepsItsGraphic) {
    REQUIRE_JPEG_TOOLS();
    const fs::path good = MakeJpeg(dir_, "good.jpg", 30, 10), bad = dir_ / "bad.jpg";
    TPicture picture;
    picture.LoadFile(good.string());
    TGraphic* before = picture.Graphic();
    int notifications = 0;
    picture.OnModified = [&](TPicture*) { ++notifications; };
    const std::pair<std::vector<uint8_t>, int> cases[] = {
        {{'B', 'M', 0, 0, 0, 0}, JERR_NO_SOI},
        {{0xFF, 0xD8}, JERR_NO_IMAGE},
        {{0xFF, 0xD8, 0xFF, 0xD9}, JERR_NO_IMAGE},
    };
    for (const auto& [bytes, code] : cases) {
        WriteBytes(bad, bytes);
        EXPECT_EQ(MessageOf<EJPEG>([&] { picture.LoadFile(bad.string()); }), LibraryError(code));
        EXPECT_EQ(picture.Graphic(), before);
        EXPECT_EQ(picture.Width(), 30);
    }
    EXPECT_EQ(notifications, 0);

    // Loaded directly, a refused stream leaves the picture's data and bitmap alone.
    auto& image = dynamic_cast<TJPEGImage&>(*before);
    TBitmap* decoded = &image.DecodeBitmap();
    TMemoryStream text(std::vector<uint8_t>{'n', 'o', 'p', 'e'});
    EXPECT_THROW(image.LoadStream(text), EJPEG);
    EXPECT_EQ(image.Data().JpegBytes, ReadBytes(good));
    EXPECT_EQ(&image.DecodeBitmap(), decoded);
}

TEST_F(JpegTest, AssignmentSizeAndSavingWithoutData) {
    REQUIRE_JPEG_TOOLS();
    TJPEGImage first, other;
    first.LoadFile(MakeJpeg(dir_, "a.jpg", 20, 12).string());
    other.LoadFile(MakeJpeg(dir_, "b.jpg", 20, 12, "-quality 20").string());
    TJPEGImage shared;
    shared.Assign(&first);
    EXPECT_EQ(&shared.Data(), &first.Data());
    EXPECT_TRUE(shared.SameContent(&first));
    EXPECT_FALSE(shared.SameContent(&other));
    for (auto set : {&TJPEGImage::SetWidth, &TJPEGImage::SetHeight})
        EXPECT_THROW((first.*set)(10), EInvalidGraphicOperation);

    // A decoded bitmap is copied; assigned to a bitmap, the picture gives its pixels.
    const std::vector<uint32_t> pixels = Pixels(first.DecodeBitmap());
    TJPEGImage copy;
    copy.Assign(&first);
    EXPECT_TRUE(copy.Decoded());
    TBitmap bitmap;
    bitmap.Assign(&shared);
    EXPECT_EQ(Pixels(bitmap), pixels);
    EXPECT_EQ(Pixels(copy.DecodeBitmap()), pixels);

    // A picture made from a bitmap holds no JPEG data: saving it is refused before
    // any file is made.
    TJPEGImage fromBitmap;
    fromBitmap.Assign(&bitmap);
    EXPECT_EQ(fromBitmap.Width(), 20);
    const fs::path nothing = dir_ / "nothing.jpg";
    EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { fromBitmap.SaveFile(nothing.string()); }),
              kJpegNothingToSave);
    EXPECT_FALSE(fs::exists(nothing));

    // Clipboard data is a bitmap's: the picture shows it and drops the JPEG bytes,
    // which would no longer be what it shows.
    uint16_t format = 0;
    std::vector<uint8_t> clip;
    gdi::HPALETTE clipPalette;
    first.SaveClipboard(format, clip, clipPalette);
    other.LoadClipboard(format, clip, clipPalette);
    EXPECT_FALSE(other.Data().JpegBytes.has_value());
    EXPECT_EQ(Pixels(other.DecodeBitmap()), pixels);
}

TEST(JpegProgressTest, PercentWithoutUsableEstimates) {
    EXPECT_EQ(jpeg::ProgressPercent(1, 50, 100, 2), 75);
    EXPECT_EQ(jpeg::ProgressPercent(1, 50, 0, 2), 50);  // no pass limit yet
    EXPECT_EQ(jpeg::ProgressPercent(0, 0, 0, 0), -1);   // no passes: no report
    EXPECT_EQ(jpeg::ProgressPercent(3, 10, 5, 2), 100);
}

TEST_F(JpegTest, NewPaletteDropsTheBitmapAndAbortStopsQuietly) {
    REQUIRE_JPEG_TOOLS();
    TJPEGImage image;
    image.LoadFile(MakeJpeg(dir_, "a.jpg", 16, 16).string());
    image.DecodeBitmap();
    int changes = 0;
    image.OnModified = [&](TGraphic*) { ++changes; };
    const gdi::HPALETTE palette = gdi::CreatePalette({0x300, {{0, 0, 0, 0}, {255, 255, 255, 0}}});
    image.SetPalette(palette);
    EXPECT_FALSE(image.Decoded());
    image.SetPalette(palette);  // the held palette again: nothing happens
    EXPECT_EQ(changes, 1);

    // The next decode stops at its first report; the empty bitmap stays.
    image.OnProgress = [](TObject*, TProgressStage, uint8_t, bool, const gdi::RECT&,
                          const std::string&) { throw EAbort(); };
    EXPECT_NO_THROW(image.DecodeBitmap());
    EXPECT_TRUE(image.Decoded());
    EXPECT_TRUE(image.DecodeBitmap().IsEmpty());
}

// Rewrites the size in the first frame header.
void SetFrameSize(std::vector<uint8_t>& bytes, uint16_t width, uint16_t height) {
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = height >> 8, bytes[i + 6] = height & 0xFF;
            bytes[i + 7] = width >> 8, bytes[i + 8] = width & 0xFF;
            return;
        }
    }
    FAIL() << "no frame header";
}

TEST_F(JpegTest, HeadersAnnouncingTooManyPixelsAreRefusedAtLoad) {
    REQUIRE_JPEG_TOOLS();
    // Grey 30000 x 30000 needs 900 MB of 8-bit rows: allowed (not decoded here). As
    // a progressive file it also needs the library's coefficients, 2 bytes a
    // sample, and colour at 24 bits needs 3 bytes a pixel: refused.
    const std::tuple<const char*, uint16_t, bool> cases[] = {
        {"-grayscale", 30000, false},
        {"-grayscale -progressive", 30000, true},
        {"", 30000, true},
        {"", 65500, true},
    };
    const fs::path big = dir_ / "big.jpg";
    for (const auto& [options, side, refused] : cases) {
        SCOPED_TRACE(options);
        std::vector<uint8_t> bytes = ReadBytes(MakeJpeg(dir_, "small.jpg", 16, 16, options));
        SetFrameSize(bytes, side, side);
        WriteBytes(big, bytes);
        TPicture picture;
        EXPECT_EQ(MessageOf<EOutOfMemory>([&] { picture.LoadFile(big.string()); }),
                  refused ? "Out of memory" : "");
        EXPECT_EQ(picture.Width(), refused ? 0 : side);
        EXPECT_EQ(picture.Graphic() == nullptr, refused);
    }
}

TEST_F(JpegTest, DecodingStopsPastAThousandScans) {
    REQUIRE_JPEG_TOOLS();
    // Repeats of the last scan of a progressive file: the library takes them with a
    // warning only.
    const std::vector<uint8_t> progressive =
        ReadBytes(MakeJpeg(dir_, "p.jpg", 16, 16, "-grayscale -progressive"));
    std::vector<size_t> scans;
    for (size_t i = 0; i + 1 < progressive.size(); ++i)
        if (progressive[i] == 0xFF && progressive[i + 1] == 0xDA) scans.push_back(i);
    const auto lastScan = progressive.begin() + static_cast<ptrdiff_t>(scans.back()),
               end = progressive.end() - 2;
    for (size_t count : {1000, 1001}) {
        SCOPED_TRACE(count);
        std::vector<uint8_t> bytes(progressive.begin(), end);
        for (size_t n = scans.size(); n < count; ++n) bytes.insert(bytes.end(), lastScan, end);
        bytes.insert(bytes.end(), {0xFF, 0xD9});
        for (bool showScans : {false, true}) {
            TJPEGImage image;
            TMemoryStream stream(bytes);
            image.LoadStream(stream);
            TJPEGSettings settings = image.Settings();
            settings.ShowScans = showScans;
            image.SetSettings(settings);
            EXPECT_EQ(MessageOf<EJPEG>([&] { image.DecodeBitmap(); }),
                      count <= 1000
                          ? ""
                          : "JPEG image has too many scans (more than 1000); decoding stopped");
        }
    }
}

}  // namespace
}  // namespace vardel::test
