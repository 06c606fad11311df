// Whole files: cut at every length, the public corpus, the picture registry and the
// companion's description.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "formats/Modules.h"
#include "formats/gif/GifException.h"
#include "formats/gif/GifImage.h"
#include "formats/gif/GifModule.h"
#include "graphics/Picture.h"
#include "tests/gif/GifRenderSupport.h"
#include "tools/cli/Commands.h"

namespace vardel::giftest {
namespace {

namespace fs = std::filesystem;

// Every frame that has an image holds exactly its width x height indices.
void ExpectConsistent(const TGIFImage& image) {
    for (const auto& frame : image.Frames().Items())
        if (!frame->Pixels.empty()) {
            EXPECT_EQ(frame->Pixels.size(), size_t{frame->Width} * frame->Height);
        }
}

const std::set<std::string> kReadErrors = {"Invalid GIF signature",
                                           "Premature end of data",
                                           "Unknown extension type",
                                           "Unsupported Application Extension block size",
                                           "Invalid GIF data",
                                           "Circular decoder table entry",
                                           "Decoder table chain too long",
                                           "Invalid LZW minimum code size",
                                           "Out of memory"};

TEST(GifFiles, AValidFileCutAtEveryLengthFailsCleanlyOrLoadsInPart) {
    for (const char* name : {"giflib-build.gif", "pil-anim.gif", "im-anim.gif"}) {
        SCOPED_TRACE(name);
        const Bytes whole = ReadFile(kDataDir + "/" + name);
        ASSERT_FALSE(whole.empty());
        const size_t frames = static_cast<size_t>(Load(whole).image->Frames().Count());
        for (size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(length);
            TLoaded r = Load(Bytes(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length)));
            if (!r.error.empty()) {
                EXPECT_EQ(kReadErrors.count(r.error), 1u) << r.error;
                EXPECT_EQ(r.position, 0);
            }
            EXPECT_LE(static_cast<size_t>(r.image->Frames().Count()), frames);
            ExpectConsistent(*r.image);
        }
    }
}

std::vector<fs::path> GifFilesUnder(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().extension() == ".gif")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(GifFiles, EveryCorpusFileLoadsAsGiflibReadsIt) {
    const std::string corpus = CorpusDir();
    if (corpus.empty()) GTEST_SKIP() << "the public corpus is not there";
    int compared = 0;
    for (const fs::path& path : GifFilesUnder(fs::path(corpus) / "gif")) {
        SCOPED_TRACE(path.string());
        const Bytes bytes = ReadFile(path.string());
        TLoaded ours = Load(bytes);
        if (!ours.error.empty()) {
            EXPECT_EQ(kReadErrors.count(ours.error), 1u) << ours.error;
        }
        ExpectConsistent(*ours.image);
        auto theirs = ReadWithGiflib(bytes);
        if (!theirs || !ours.error.empty()) continue;
        ExpectSameAsGiflib(*ours.image, *theirs);
        ++compared;
    }
    EXPECT_GT(compared, 50);
}

TEST(GifFiles, TheModuleRegistersTheKindAndRemovesItAgain) {
    const TGraphicClass& kind = TGIFImage::ClassInfo();
    {
        TPictureModules modules;
        EXPECT_EQ(TFileFormatsList::Instance().FindByExtension("GIF"), &kind);
        bool described = false;
        for (const TFileFormat& row : TFileFormatsList::Instance().Rows())
            if (row.kind == &kind)
                described = row.extension == "gif" && row.description == "GIF Image";
        EXPECT_TRUE(described);
        EXPECT_EQ(GIFClipboardFormat(), RegisterClipboardFormat("GIF Image"));
        EXPECT_EQ(TClipboardFormats::Instance().FindFormat(GIFClipboardFormat()), &kind);

        TPicture picture;
        picture.LoadFile(kDataDir + "/im-anim.gif");
        ASSERT_NE(dynamic_cast<TGIFImage*>(picture.Graphic()), nullptr);
        EXPECT_EQ(picture.Width(), 30);
    }
    EXPECT_EQ(TFileFormatsList::Instance().FindByExtension("gif"), nullptr);
    EXPECT_EQ(TClipboardFormats::Instance().FindFormat(GIFClipboardFormat()), nullptr);
}

TEST(GifFiles, ClipboardDataIsAWholeFile) {
    const Bytes bytes = ReadFile(kDataDir + "/giflib-build.gif");
    TGIFImage image;
    image.LoadClipboard(GIFClipboardFormat(), bytes, nullptr);
    EXPECT_EQ(image.Frames().Count(), 2);
    uint16_t format = 0;
    std::vector<uint8_t> data;
    gdi::HPALETTE palette;
    image.SaveClipboard(format, data, palette);
    EXPECT_EQ(format, GIFClipboardFormat());
    EXPECT_EQ(Load(data).image->Frames()[1].Pixels, image.Frames()[1].Pixels);
}

TEST(GifFiles, TheCompanionDescribesFramesAndLoop) {
    TLoaded r = Load(ReadFile(kDataDir + "/giflib-build.gif"));
    cli::Json json;
    ASSERT_TRUE(cli::DescribeGif(*r.image, json));
    EXPECT_EQ(json.Text(),
              "{\"kind\":\"gif\",\"width\":20,\"height\":10,\"version\":\"89a\",\"frames\":["
              "{\"left\":0,\"top\":0,\"width\":20,\"height\":10,\"interlaced\":false,"
              "\"transparent\":true,\"delay\":7,\"disposal\":1},"
              "{\"left\":3,\"top\":2,\"width\":12,\"height\":7,\"interlaced\":true,"
              "\"transparent\":false,\"delay\":150,\"disposal\":3}],\"loop\":2}");
}

TEST(GifFiles, ScreenSizeCannotShrinkBelowAFrame) {
    TGIFImage image;
    SetScreen(image, 20, 10, {});
    AddFrame(image, {3, 2, 12, 7});  // ends at 15 x 9
    int changes = 0;
    image.OnModified = [&](TGraphic*) { ++changes; };
    EXPECT_THROW(image.SetWidth(14), GIFException);
    EXPECT_THROW(image.SetHeight(8), GIFException);
    image.SetWidth(15);
    image.SetHeight(9);
    image.SetHeight(9);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(image.Width(), 15);
    EXPECT_EQ(image.Height(), 9);
}

}  // namespace
}  // namespace vardel::giftest
