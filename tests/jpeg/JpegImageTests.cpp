// The JPEG picture as a graphic: deferred decoding, loading failures, saving, size,
// assignment, palette, and the limits on hostile headers.
#include <jerror.h>

#include "formats/jpeg/Jpeg.h"
#include "graphics/Picture.h"
#include "platform/runtime/Streams.h"
#include "tests/jpeg/JpegTestSupport.h"

namespace vardel::test {
namespace {

#define REQUIRE_JPEG_TOOLS() \
    if (!HaveJpegTools()) GTEST_SKIP() << "cjpeg/djpeg (libjpeg-turbo-progs) not installed"

std::string LibraryError(int code) {
    return "JPEG error #" + std::to_string(code);
}

fs::path MakeJpeg(const TScratchDir& dir, const std::string& name, int width, int height,
                  const std::string& options = "") {
    const auto source = dir / (name + ".ppm"), jpeg = dir / name;
    WriteTestPicture(source, width, height);
    Compress(source, jpeg, options);
    return jpeg;
}

// Rewrites the frame size of the first start-of-frame segment.
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

TEST_F(JpegTest, LoadingReadsTheHeaderOnlyAndTheFirstDrawDecodesOnce) {
    REQUIRE_JPEG_TOOLS();
    const auto jpeg = MakeJpeg(dir_, "a.jpg", 48, 20);
    TPicture picture;
    int decodes = 0;
    picture.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const gdi::RECT&,
                             const std::string&) {
        if (stage == TProgressStage::psStarting) ++decodes;
    };
    picture.LoadFile(jpeg.string());
    auto* image = dynamic_cast<TJPEGImage*>(picture.Graphic());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(picture.Width(), 48);
    EXPECT_EQ(picture.Height(), 20);
    EXPECT_FALSE(image->IsEmpty());
    EXPECT_EQ(decodes, 0);
    EXPECT_FALSE(image->Decoded());
    EXPECT_EQ(image->Data().JpegBytes, ReadBytes(jpeg));

    TBitmap shown;
    shown.SetSize(48, 20);
    shown.Surface().DrawGraphic(0, 0, image);
    TBitmap* first = &image->DecodeBitmap();
    shown.Surface().DrawGraphic(0, 0, image);
    EXPECT_EQ(decodes, 1);
    EXPECT_EQ(&image->DecodeBitmap(), first);
}

TEST_F(JpegTest, EmptyFileFailsOnFirstDrawWithTheInputEmptyError) {
    const auto empty = dir_ / "empty.jpg";
    WriteBytes(empty, {});
    TPicture picture;
    picture.LoadFile(empty.string());
    auto* image = dynamic_cast<TJPEGImage*>(picture.Graphic());
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->IsEmpty());  // an empty byte stream still counts as held
    EXPECT_EQ(image->Width(), 0);
    TBitmap shown;
    shown.SetSize(4, 4);
    try {
        shown.Surface().DrawGraphic(0, 0, image);
        FAIL() << "an empty file drew";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), LibraryError(JERR_INPUT_EMPTY));
    }
    // The failure is not repeated: later draws show the (empty) bitmap.
    EXPECT_NO_THROW(shown.Surface().DrawGraphic(0, 0, image));
}

TEST_F(JpegTest, FileThatIsNotJpegIsRefusedAndThePictureKeepsItsGraphic) {
    REQUIRE_JPEG_TOOLS();
    const auto good = MakeJpeg(dir_, "good.jpg", 30, 10);
    TPicture picture;
    picture.LoadFile(good.string());
    TGraphic* before = picture.Graphic();
    int notifications = 0;
    picture.OnModified = [&](TPicture*) { ++notifications; };

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int code;
    };
    const Case cases[] = {
        {"bitmap", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, JERR_NO_SOI},
        {"text", {'h', 'e', 'l', 'l', 'o'}, JERR_NO_SOI},
        {"start marker only", {0xFF, 0xD8}, JERR_NO_IMAGE},
        {"marker with no frame", {0xFF, 0xD8, 0xFF, 0xD9}, JERR_NO_IMAGE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bad = dir_ / "bad.jpg";
        WriteBytes(bad, c.bytes);
        try {
            picture.LoadFile(bad.string());
            ADD_FAILURE() << "accepted";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.Message(), LibraryError(c.code));
        }
        EXPECT_EQ(picture.Graphic(), before);
        EXPECT_EQ(picture.Width(), 30);
    }
    EXPECT_EQ(notifications, 0);

    // Loaded directly, a refused stream leaves the picture's data and bitmap alone.
    auto* image = dynamic_cast<TJPEGImage*>(before);
    TBitmap* decoded = &image->DecodeBitmap();
    TMemoryStream text(std::vector<uint8_t>{'n', 'o', 'p', 'e'});
    EXPECT_THROW(image->LoadStream(text), EJPEG);
    EXPECT_EQ(image->Data().JpegBytes, ReadBytes(good));
    EXPECT_EQ(&image->DecodeBitmap(), decoded);
}

TEST_F(JpegTest, SavingWritesTheLoadedBytesWhateverTheName) {
    REQUIRE_JPEG_TOOLS();
    const auto jpeg = MakeJpeg(dir_, "a.jpg", 25, 25, "-progressive");
    TPicture picture;
    picture.LoadFile(jpeg.string());
    const auto saved = dir_ / "copy.bmp";
    picture.SaveFile(saved.string());
    EXPECT_EQ(ReadBytes(saved), ReadBytes(jpeg));
    // Also after decoding.
    dynamic_cast<TJPEGImage*>(picture.Graphic())->DecodeBitmap();
    picture.SaveFile(saved.string());
    EXPECT_EQ(ReadBytes(saved), ReadBytes(jpeg));

    // A picture made from a bitmap holds no JPEG data; saving it is refused and
    // leaves no file.
    TBitmap bitmap;
    bitmap.SetSize(5, 5);
    TJPEGImage fromBitmap;
    fromBitmap.Assign(&bitmap);
    EXPECT_EQ(fromBitmap.Width(), 5);
    const auto nothing = dir_ / "nothing.jpg";
    try {
        fromBitmap.SaveFile(nothing.string());
        FAIL() << "saved without data";
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Message(), kJpegNothingToSave);
    }
    EXPECT_FALSE(fs::exists(nothing));
    TMemoryStream stream;
    EXPECT_THROW(fromBitmap.SaveStream(stream), EInvalidGraphicOperation);
}

TEST_F(JpegTest, SizeIsFixedByTheData) {
    TJPEGImage image;
    EXPECT_TRUE(image.IsEmpty());
    for (auto set : {&TJPEGImage::SetWidth, &TJPEGImage::SetHeight}) {
        try {
            (image.*set)(10);
            ADD_FAILURE() << "size changed";
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Message(), "Cannot change the size of a JPEG image");
        }
    }
}

TEST_F(JpegTest, AssignmentSharesTheDataAndCopiesTheBitmap) {
    REQUIRE_JPEG_TOOLS();
    const auto a = MakeJpeg(dir_, "a.jpg", 20, 12),
               b = MakeJpeg(dir_, "b.jpg", 20, 12, "-quality 20");
    TJPEGImage first, second, other;
    first.LoadFile(a.string());
    other.LoadFile(b.string());
    second.Assign(&first);
    EXPECT_EQ(&second.Data(), &first.Data());
    EXPECT_FALSE(second.Decoded());
    EXPECT_TRUE(second.SameContent(&first));
    EXPECT_FALSE(second.SameContent(&other));

    const std::vector<uint32_t> pixels = Pixels(first.DecodeBitmap());
    TJPEGImage third;
    third.Assign(&first);
    EXPECT_TRUE(third.Decoded());
    EXPECT_EQ(Pixels(third.DecodeBitmap()), pixels);

    // To a bitmap: the decoded pixels.
    TBitmap bitmap;
    bitmap.Assign(&second);
    EXPECT_EQ(Pixels(bitmap), pixels);

    // From anything else: refused by the generic assignment.
    TPicture picture;
    EXPECT_THROW(first.Assign(&picture), Exception);

    // Pictures without bytes are the same only when they share their data.
    TJPEGImage empty1, empty2;
    EXPECT_FALSE(empty1.SameContent(&empty2));
    empty2.Assign(&empty1);
    EXPECT_TRUE(empty1.SameContent(&empty2));
    EXPECT_FALSE(empty1.SameContent(&bitmap));
}

TEST_F(JpegTest, NewPaletteDropsTheDecodedBitmap) {
    REQUIRE_JPEG_TOOLS();
    const auto jpeg = MakeJpeg(dir_, "a.jpg", 16, 16);
    TJPEGImage image;
    image.LoadFile(jpeg.string());
    image.DecodeBitmap();
    int changes = 0;
    image.OnModified = [&](TGraphic*) { ++changes; };
    gdi::LOGPALETTE grey;
    for (int i = 0; i < 16; ++i)
        grey.palPalEntry.push_back({uint8_t(i * 17), uint8_t(i * 17), uint8_t(i * 17), 0});
    const gdi::HPALETTE palette = gdi::CreatePalette(grey);
    image.SetPalette(palette);
    EXPECT_FALSE(image.Decoded());
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(image.PaletteDirty());
    image.SetPalette(palette);  // the held palette again: nothing happens
    EXPECT_EQ(changes, 1);
    // At 24 bits the held palette does not apply and is let go at the next decode.
    EXPECT_EQ(image.DecodeBitmap().PixelLayout(), TPixelLayout::Format24Bit);
    EXPECT_NE(image.Palette(), palette);
}

TEST_F(JpegTest, AbortFromAProgressSubscriberStopsQuietly) {
    REQUIRE_JPEG_TOOLS();
    const auto jpeg = MakeJpeg(dir_, "a.jpg", 16, 16);
    TJPEGImage image;
    image.LoadFile(jpeg.string());
    int reports = 0;
    image.OnProgress = [&](TObject*, TProgressStage, uint8_t, bool, const gdi::RECT&,
                           const std::string&) {
        if (reports++ == 0) throw EAbort();
    };
    EXPECT_NO_THROW(image.DecodeBitmap());
    EXPECT_TRUE(image.Decoded());
    EXPECT_EQ(reports, 1);
}

TEST_F(JpegTest, HeadersAnnouncingTooManyPixelsAreRefusedAtLoad) {
    REQUIRE_JPEG_TOOLS();
    struct Case {
        const char* name;
        const char* options;
        uint16_t width, height;
        bool refused;
    };
    // Grey baseline at 30000 x 30000 needs 900 MB of 8-bit rows: allowed (and never
    // decoded here). The progressive one also needs the library's coefficient
    // buffer, 2 bytes a sample: refused. Colour at 24 bits needs 3 bytes a pixel.
    const Case cases[] = {
        {"grey baseline", "-grayscale", 30000, 30000, false},
        {"grey progressive", "-grayscale -progressive", 30000, 30000, true},
        {"colour baseline", "", 30000, 30000, true},
        {"colour largest", "", 65500, 65500, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = ReadBytes(MakeJpeg(dir_, "small.jpg", 16, 16, c.options));
        SetFrameSize(bytes, c.width, c.height);
        const auto big = dir_ / "big.jpg";
        WriteBytes(big, bytes);
        TPicture picture;
        if (c.refused) {
            try {
                picture.LoadFile(big.string());
                ADD_FAILURE() << "accepted";
            } catch (const EOutOfMemory& e) {
                EXPECT_EQ(e.Message(), "Out of memory");
            }
            EXPECT_EQ(picture.Graphic(), nullptr);
        } else {
            picture.LoadFile(big.string());
            EXPECT_EQ(picture.Width(), c.width);
            EXPECT_EQ(picture.Height(), c.height);
        }
    }
}

// Builds a progressive grey file with `scans` scans by repeating its last scan; the
// library takes the repeats with a warning only.
std::vector<uint8_t> WithScans(const std::vector<uint8_t>& progressive, int scans) {
    std::vector<size_t> starts;
    for (size_t i = 0; i + 1 < progressive.size(); ++i)
        if (progressive[i] == 0xFF && progressive[i + 1] == 0xDA) starts.push_back(i);
    const size_t last = starts.back(), end = progressive.size() - 2;  // before the end marker
    std::vector<uint8_t> out(progressive.begin(),
                             progressive.begin() + static_cast<ptrdiff_t>(end));
    for (int extra = static_cast<int>(starts.size()); extra < scans; ++extra)
        out.insert(out.end(), progressive.begin() + static_cast<ptrdiff_t>(last),
                   progressive.begin() + static_cast<ptrdiff_t>(end));
    out.push_back(0xFF);
    out.push_back(0xD9);
    return out;
}

TEST_F(JpegTest, DecodingStopsPastAThousandScans) {
    REQUIRE_JPEG_TOOLS();
    const std::vector<uint8_t> progressive =
        ReadBytes(MakeJpeg(dir_, "p.jpg", 16, 16, "-grayscale -progressive"));
    for (int scans : {1000, 1001}) {
        SCOPED_TRACE(scans);
        const auto file = dir_ / "scans.jpg";
        WriteBytes(file, WithScans(progressive, scans));
        for (bool showScans : {false, true}) {
            TJPEGImage image;
            image.LoadFile(file.string());
            TJPEGSettings settings = image.Settings();
            settings.ShowScans = showScans;
            image.SetSettings(settings);
            if (scans <= 1000) {
                EXPECT_NO_THROW(image.DecodeBitmap());
                continue;
            }
            try {
                image.DecodeBitmap();
                ADD_FAILURE() << "all scans decoded";
            } catch (const EJPEG& e) {
                EXPECT_STREQ(e.what(),
                             "JPEG image has too many scans (more than 1000); decoding stopped");
            }
        }
    }
}

}  // namespace
}  // namespace vardel::test
