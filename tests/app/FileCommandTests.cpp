#include <fstream>

#include "formats/jpeg/Jpeg.h"
#include "formats/png/PngImage.h"
#include "platform/gdi/Png.h"
#include "tests/app/WorkbenchFixture.h"
#include "tools/samples/SampleFiles.h"

using namespace vardel;
using namespace vardel::test;
namespace fs = std::filesystem;

TEST_F(WorkbenchTest, CancellingTheDialogsChangesNothing) {
    fileAnswers = {std::nullopt, std::nullopt};
    Form1->SalvarImagen1->Click();
    Form1->SalvarImagen2->Click();
    EXPECT_EQ(fileRequests.size(), 2u);
    EXPECT_EQ(Form1->Image1->Picture().Graphic(), nullptr);
    EXPECT_EQ(Form8->Image2->Picture().Graphic(), nullptr);
    EXPECT_TRUE(modalShown.empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(WorkbenchTest, AbrirImagenLoadsBothViewsAndShowsForm8Modally) {
    const std::string path =
        SaveBitmap("wide.bmp", 200, 100, [](int x, int y) { return Rgb(x, y, 7); });
    fileAnswers.push_back(path);
    int form8Width = 0, pictureWidth = 0;
    Application().OnModalShown = [&](TForm& form) {
        modalShown.push_back(&form);
        form8Width = Form8->Image2->Width();
        pictureWidth = Form8->Image2->Picture().Width();
        form.Dismiss();
    };
    Form1->SalvarImagen1->Click();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_FALSE(fileRequests[0].save);
    EXPECT_EQ(fileRequests[0].filter, "Mapa de bits (*.bmp)|*.bmp|jpeg (*.jpg)|*.jpg");
    EXPECT_EQ(fileRequests[0].filterIndex, 1);
    EXPECT_EQ(fileRequests[0].defaultExtension, "bmp");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(modalShown, std::vector<TForm*>{Form8});
    EXPECT_FALSE(Form8->Showing());
    // The main view and window follow the picture; the second view keeps its size.
    EXPECT_EQ(SizeOf(*Form1->Image1), Size(200, 100));
    EXPECT_EQ(ClientSizeOf(*Form1), Size(200, 100));
    EXPECT_EQ(form8Width, 577);
    EXPECT_EQ(pictureWidth, 200);
    // Two pictures: a change to one does not show in the other.
    Form1->odaRoja1->Click();
    EXPECT_EQ(PixelOf(*Form1->Image1, 5, 6), Rgb(5, 0, 0));
    EXPECT_EQ(PixelOf(*Form8->Image2, 5, 6), Rgb(5, 6, 7));
}

TEST_F(WorkbenchTest, AbrirImagenWithAFileThatDoesNotLoad) {
    PutPicture(*Form1->Image1, 4, 4, [](int, int) { return Rgb(1, 1, 1); });
    AnswerModal();
    fileAnswers = {(dir / "picture.tif").string(), (dir / "missing.bmp").string()};
    Form1->SalvarImagen1->Click();
    Form1->SalvarImagen1->Click();
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "Unknown picture file extension (.tif)",
                            "Cannot open file " + (dir / "missing.bmp").string() + "."}));
    EXPECT_EQ(PixelsOf(*Form1->Image1), std::vector<TColor>(16, Rgb(1, 1, 1)));
    EXPECT_EQ(Form8->Image2->Picture().Graphic(), nullptr);
    EXPECT_TRUE(modalShown.empty());
}

TEST_F(WorkbenchTest, AbrirImagenWhileForm8IsOpenLoadsBothViewsThenCannotMakeItModal) {
    PutPicture(*Form1->Image1, 5, 5, [](int, int) { return Rgb(9, 9, 9); });
    Form1->Convol21->Click();
    ASSERT_TRUE(Form8->Showing());
    AnswerModal();
    fileAnswers.push_back(SaveBitmap("next.bmp", 30, 20, [](int, int) { return Rgb(40, 50, 60); }));
    Form1->SalvarImagen1->Click();
    EXPECT_EQ(messages, std::vector<std::string>{"Cannot make a visible window modal."});
    EXPECT_TRUE(modalShown.empty());
    EXPECT_TRUE(Form8->Showing());
    EXPECT_FALSE(Form8->Modal());
    EXPECT_EQ(PixelOf(*Form1->Image1, 0, 0), Rgb(40, 50, 60));
    EXPECT_EQ(PixelOf(*Form8->Image2, 29, 19), Rgb(40, 50, 60));
    // The main window goes on taking commands.
    Form1->ComponenteRoja1->Click();
    EXPECT_EQ(PixelOf(*Form1->Image1, 0, 0), Rgb(40, 40, 40));
}

TEST_F(WorkbenchTest, SalvarImagenWritesTheHeldKindWhateverTheNameAndNeverAsks) {
    // Nothing to save yet: no file, no message.
    fileAnswers.push_back((dir / "none.bmp").string());
    Form1->SalvarImagen2->Click();
    EXPECT_FALSE(fs::exists(dir / "none.bmp"));
    EXPECT_TRUE(messages.empty());

    // The bitmap that a command made in the empty view, under a .jpg name, over an
    // existing file.
    std::ofstream(dir / "out.jpg") << "an older file that is longer than a BMP header";
    Form1->ComponenteRoja1->Click();
    fileAnswers.push_back((dir / "out.jpg").string());
    Form1->SalvarImagen2->Click();
    EXPECT_TRUE(messages.empty());
    ASSERT_TRUE(fileRequests.back().save);
    EXPECT_EQ(FirstBytes(dir / "out.jpg", 2), "BM");
    TPicture reread;
    const std::string copy = (dir / "copy.bmp").string();
    fs::copy_file(dir / "out.jpg", copy);
    reread.LoadFile(copy);
    EXPECT_EQ(SizeOf(reread), Size(721, 321));

    fileAnswers.push_back((dir / "no-such-folder" / "x.bmp").string());
    Form1->SalvarImagen2->Click();
    EXPECT_EQ(messages,
              std::vector<std::string>{"Cannot create file " +
                                       (dir / "no-such-folder" / "x.bmp").string() + "."});
}

TEST_F(WorkbenchTest, AbrirImagenOfAJpegShowsJpegPicturesThatPixelCommandsRefuseAndSavesItsBytes) {
    const fs::path photo = dir / "photo.jpg";
    samples::TRaster picture(40, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) picture.At(x, y) = {x / 39.0, y / 19.0, 0.5};
    samples::WriteJpeg(picture, 90, photo.string());
    fileAnswers.push_back(photo.string());
    AnswerModal();
    Form1->SalvarImagen1->Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(modalShown, std::vector<TForm*>{Form8});
    TGraphic* main = Form1->Image1->Picture().Graphic();
    TGraphic* second = Form8->Image2->Picture().Graphic();
    EXPECT_NE(dynamic_cast<TJPEGImage*>(main), nullptr);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(second), nullptr);
    EXPECT_NE(main, second);
    EXPECT_EQ(SizeOf(*Form1->Image1), Size(40, 20));

    Form1->ComponenteRoja1->Click();
    EXPECT_EQ(messages, std::vector<std::string>{kNotABitmap});
    EXPECT_EQ(Form1->Image1->Picture().Graphic(), main);

    // Saved under any name, the JPEG writes the bytes it was loaded from.
    fileAnswers.push_back((dir / "copy.bmp").string());
    Form1->SalvarImagen2->Click();
    EXPECT_EQ(FirstBytes(dir / "copy.bmp", 1 << 20), FirstBytes(photo, 1 << 20));
}

TEST_F(WorkbenchTest, AbrirImagenOfATypedPngNameGivesABitmapThatPixelCommandsEditKeepingItsAlpha) {
    // 3 × 1: opaque (10, 200, 30), half-transparent (200, 100, 0), fully transparent.
    const std::vector<uint8_t> bgra = {30, 200, 10, 255, 0, 100, 200, 128, 90, 90, 90, 0};
    const fs::path file = dir / "picture.png";
    {
        std::ofstream out(file, std::ios::binary);
        std::string failure;
        ASSERT_TRUE(gdi::WritePng(
            {bgra.data(), 12, 3, 1, 4, true},
            [&](const uint8_t* bytes, size_t count) {
                out.write(reinterpret_cast<const char*>(bytes), count);
                return count;
            },
            failure));
    }
    fileAnswers.push_back(file.string());
    AnswerModal();
    Form1->SalvarImagen1->Click();
    EXPECT_TRUE(messages.empty());
    // The open dialog offers what it always did; the typed name loads all the same.
    EXPECT_EQ(fileRequests[0].filter, "Mapa de bits (*.bmp)|*.bmp|jpeg (*.jpg)|*.jpg");
    auto* main = dynamic_cast<TPngImage*>(Form1->Image1->Picture().Graphic());
    ASSERT_NE(main, nullptr);
    EXPECT_NE(dynamic_cast<TPngImage*>(Form8->Image2->Picture().Graphic()), nullptr);
    EXPECT_EQ(SizeOf(*Form1->Image1), Size(3, 1));

    // Shown over the window's background by its alpha.
    Form1->PaintNow();
    gdi::HDC window = Form1->ClientContext();
    const gdi::COLORREF back = Form1->Color();
    auto mix = [](int s, int t) { return (s * 128 + t * 127 + 127) / 255; };
    const int left = Form1->Image1->Left(), top = Form1->Image1->Top();
    EXPECT_EQ(gdi::GetPixel(window, left, top), static_cast<gdi::COLORREF>(Rgb(10, 200, 30)));
    EXPECT_EQ(gdi::GetPixel(window, left + 1, top),
              static_cast<gdi::COLORREF>(Rgb(mix(200, gdi::GetRValue(back)),
                                             mix(100, gdi::GetGValue(back)),
                                             mix(0, gdi::GetBValue(back)))));
    EXPECT_EQ(gdi::GetPixel(window, left + 2, top), back);
    gdi::ReleaseDC(window);

    // A pixel command works on it and leaves the alpha as it was.
    Form1->ComponenteRoja1->Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(PixelsOf(*Form1->Image1),
              (std::vector<TColor>{Rgb(10, 10, 10), Rgb(200, 200, 200), Rgb(90, 90, 90)}));
    EXPECT_TRUE(main->HasAlpha());

    // Saved as PNG, alpha included, whatever the name.
    fileAnswers.push_back((dir / "saved.bmp").string());
    Form1->SalvarImagen2->Click();
    EXPECT_EQ(FirstBytes(dir / "saved.bmp", 4), "\x89PNG");
    TPngImage saved;
    TFileStream in((dir / "saved.bmp").string(), FileMode::OpenRead);
    saved.LoadStream(in);
    EXPECT_TRUE(saved.HasAlpha());
    const gdi::DIBSECTION& d = saved.Image().description;
    const uint8_t* row =
        d.dsBm.bmBits + (d.dsBmih.biHeight > 0 ? d.dsBm.bmWidthBytes * (d.dsBm.bmHeight - 1) : 0);
    EXPECT_EQ((std::vector<uint8_t>{row[3], row[7], row[11]}), (std::vector<uint8_t>{255, 128, 0}));
    EXPECT_EQ(saved.Surface().ReadPixel(1, 0), Rgb(200, 200, 200));
}
