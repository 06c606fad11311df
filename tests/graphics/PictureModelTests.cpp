#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Image.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "platform/runtime/Exceptions.h"
#include "tests/graphics/BmpBuilder.h"
#include "tests/graphics/TestSupport.h"

using namespace vardel;
using vardel::test::Fill;
using vardel::test::MessageOf;
namespace fs = std::filesystem;

namespace {
struct TempDir {
    fs::path dir = fs::temp_directory_path() / ("vardel-model-" + std::to_string(::getpid()));
    TempDir() { fs::create_directories(dir); }
    ~TempDir() { fs::remove_all(dir); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return (dir / name).string();
    }
};

// A 24-bit file of one colour (0x00BBGGRR).
std::vector<uint8_t> Bmp(int width, int height, uint32_t color) {
    test::BmpSpec spec;
    spec.width = width;
    spec.height = height;
    const size_t stride = ((width * 24 + 31) / 32) * 4;
    spec.pixels.assign(stride * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < 3; ++k)
                spec.pixels[y * stride + 3 * x + k] = static_cast<uint8_t>(color >> (16 - 8 * k));
    return test::BuildBmp(spec);
}

// A one-image icon file: 2 × 2, 24 bits, the top-left pixel transparent.
std::vector<uint8_t> Icon() {
    std::vector<uint8_t> f;
    test::Put(f, 0, 2);
    test::Put(f, 1, 2);  // type: icon
    test::Put(f, 1, 2);  // one image
    f.insert(f.end(), {2, 2, 0, 0});
    test::Put(f, 1, 2);
    test::Put(f, 24, 2);
    const uint32_t size = 40 + 2 * 8 + 2 * 4;
    test::Put(f, size, 4);
    test::Put(f, 22, 4);
    test::Put(f, 40, 4);
    test::Put(f, 2, 4);
    test::Put(f, 4, 4);  // height counts image and mask
    test::Put(f, 1, 2);
    test::Put(f, 24, 2);
    for (int i = 0; i < 6; ++i) test::Put(f, 0, 4);
    // Rows bottom-up: bottom row blue, blue; top row black (masked away), green.
    f.insert(f.end(), {255, 0, 0, 255, 0, 0, 0, 0});
    f.insert(f.end(), {0, 0, 0, 0, 255, 0, 0, 0});
    test::Put(f, 0, 4);     // mask, bottom row: opaque
    test::Put(f, 0x80, 4);  // top row: the first pixel keeps the target
    return f;
}
}  // namespace

TEST(Canvas, PixelsOutsideAndSystemColours) {
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    TCanvas& c = bitmap.Surface();
    EXPECT_EQ(c.ReadPixel(3, 3), clWhite);  // new bitmaps are white
    c.WritePixel(-1, 0, clBlack);
    EXPECT_EQ(c.ReadPixel(10, 0), static_cast<TColor>(0xFFFFFFFF));
    EXPECT_EQ(c.ReadPixel(0, 0), clWhite);
    c.WritePixel(1, 1, clBtnFace);
    EXPECT_EQ(c.ReadPixel(1, 1), static_cast<TColor>(gdi::GetSysColor(gdi::COLOR_BTNFACE)));
    // A canvas with nowhere to draw says so.
    TCanvas bare;
    EXPECT_EQ(MessageOf([&] { bare.WritePixel(0, 0, clRed); }), "Canvas does not allow drawing");
}

TEST(Canvas, EightBitSurfacesStoreTheNearestTableColour) {
    TBitmap bitmap;
    bitmap.SetPixelLayout(TPixelLayout::Format8Bit);
    bitmap.SetSize(4, 4);
    bitmap.Surface().WritePixel(0, 0, 0x123456);
    const TColor stored = bitmap.Surface().ReadPixel(0, 0);
    EXPECT_NE(stored, 0x123456);
    gdi::PALETTEENTRY e[256];
    const unsigned n = gdi::GetPaletteEntries(bitmap.Palette(), 0, 256, e);
    bool inTable = false;
    for (unsigned i = 0; i < n; ++i)
        inTable |= gdi::RGB(e[i].peRed, e[i].peGreen, e[i].peBlue) == static_cast<uint32_t>(stored);
    EXPECT_TRUE(inTable);
    bitmap.Surface().WritePixel(1, 0, stored);
    EXPECT_EQ(bitmap.Surface().ReadPixel(1, 0), stored);
}

TEST(Bitmap, CopiesShareUntilOneChangesAndEveryChangeNotifies) {
    TBitmap a;
    a.SetSize(3, 3);
    a.Surface().WritePixel(0, 0, clRed);
    TBitmap b;
    b.Assign(&a);
    EXPECT_EQ(a.ShareCount(), 2);
    EXPECT_EQ(&a.Image(), &b.Image());
    int changes = 0;
    b.OnModified = [&](TGraphic*) { ++changes; };
    b.Surface().WritePixel(0, 0, clBlue);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(a.ShareCount(), 1);
    EXPECT_EQ(a.Surface().ReadPixel(0, 0), clRed);
    EXPECT_EQ(b.Surface().ReadPixel(0, 0), clBlue);
    EXPECT_EQ(b.Surface().ReadPixel(1, 1), clWhite);
    b.Assign(nullptr);
    EXPECT_TRUE(b.IsEmpty());
}

TEST(Bitmap, ResizingKeepsTheTopLeftAndFillsWithTheBrush) {
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            bitmap.Surface().WritePixel(x, y, static_cast<TColor>(x + 16 * y));
    bitmap.SetSize(20, 5);
    EXPECT_EQ(bitmap.Width(), 20);
    EXPECT_EQ(bitmap.Surface().ReadPixel(9, 4), 9 + 16 * 4);
    EXPECT_EQ(bitmap.Surface().ReadPixel(10, 0), clWhite);
    EXPECT_EQ(bitmap.Surface().ReadPixel(0, 5), static_cast<TColor>(0xFFFFFFFF));
    bitmap.Surface().Brush().SetColor(clGreen);
    bitmap.SetWidth(22);
    EXPECT_EQ(bitmap.Surface().ReadPixel(21, 0), clGreen);
    // Layout changes keep the pixels.
    bitmap.SetPixelLayout(TPixelLayout::Format24Bit);
    EXPECT_EQ(bitmap.HandleKind(), THandleKind::DeviceIndependent);
    EXPECT_EQ(bitmap.Surface().ReadPixel(9, 4), 9 + 16 * 4);
    EXPECT_EQ(MessageOf([&] { bitmap.SetPixelLayout(TPixelLayout::FormatCustom); }),
              "Invalid pixel format");
    bitmap.SetPixelLayout(TPixelLayout::FormatDevice);
    EXPECT_EQ(bitmap.PixelLayout(), TPixelLayout::FormatDevice);
    EXPECT_EQ(bitmap.Surface().ReadPixel(21, 0), clGreen);
    bitmap.SetPixelLayout(TPixelLayout::Format16Bit);
    EXPECT_EQ(bitmap.PixelLayout(), TPixelLayout::Format16Bit);
    // From 5-5-5 the 16-bit layout is rebuilt with its own 5-6-5 masks.
    bitmap.SetPixelLayout(TPixelLayout::Format15Bit);
    bitmap.SetPixelLayout(TPixelLayout::Format16Bit);
    EXPECT_EQ(bitmap.PixelLayout(), TPixelLayout::Format16Bit);
    EXPECT_EQ(bitmap.Surface().ReadPixel(10, 0), clWhite);
    bitmap.SetHeight(0);
    EXPECT_TRUE(bitmap.IsEmpty());
}

TEST(Bitmap, TransparentDrawingLeavesTheTargetWhereTheMaskSays) {
    TBitmap sprite;
    sprite.SetSize(2, 2);
    sprite.Surface().WritePixel(0, 0, clRed);  // bottom-left (0, 1) stays white: transparent
    sprite.SetTransparent(true);
    for (int scale : {1, 2}) {
        TBitmap target;
        Fill(target, 4, 4, clBlue);
        target.Surface().DrawGraphicStretched({0, 0, 2 * scale, 2 * scale}, &sprite);
        EXPECT_EQ(target.Surface().ReadPixel(0, 0), clRed);
        EXPECT_EQ(target.Surface().ReadPixel(0, 2 * scale - 1), clBlue);
    }
    sprite.SetTransparentColor(clRed);
    TBitmap target;
    Fill(target, 2, 2, clBlue);
    target.Surface().DrawGraphic(0, 0, &sprite);
    EXPECT_EQ(target.Surface().ReadPixel(0, 0), clBlue);
    EXPECT_EQ(target.Surface().ReadPixel(1, 1), clWhite);
}

TEST(ImageView, DisplayRectFollowsStretchProportionalAndCenter) {
    TImage view("Image1");
    view.SetBounds(0, 0, 400, 400);
    TBitmap wide;
    wide.SetSize(800, 400);
    view.Picture().AssignGraphic(&wide);
    view.SetProportional(true);
    EXPECT_EQ(view.DisplayRect(), (gdi::RECT{0, 0, 400, 200}));
    view.SetCenter(true);
    EXPECT_EQ(view.DisplayRect(), (gdi::RECT{0, 100, 400, 300}));
    view.SetCenter(false);
    TBitmap small;
    small.SetSize(200, 100);
    view.Picture().AssignGraphic(&small);
    EXPECT_EQ(view.DisplayRect(), (gdi::RECT{0, 0, 200, 100}));
    view.SetStretch(true);
    EXPECT_EQ(view.DisplayRect(), (gdi::RECT{0, 0, 400, 200}));
    view.SetProportional(false);
    EXPECT_EQ(view.DisplayRect(), (gdi::RECT{0, 0, 400, 400}));
    // Pictures larger than the view are cropped on both sides when centred.
    view.SetStretch(false);
    view.SetCenter(true);
    view.Picture().AssignGraphic(&wide);
    EXPECT_EQ(view.DisplayRect(), (gdi::RECT{-200, 0, 600, 400}));
}

TEST(ImageView, SurfaceAutoSizeAndRefusedKinds) {
    TempDir tmp;
    TWindow window("Form3");
    window.SetClientSize(600, 500);
    TImage view("Image2");
    view.SetParent(&window);
    view.SetBounds(16, 8, 505, 465);
    // An empty view gets a white bitmap of its own size.
    EXPECT_EQ(view.Surface().ReadPixel(504, 464), clWhite);
    EXPECT_EQ(view.Picture().Width(), 505);
    EXPECT_EQ(view.Picture().Graphic()->ClassName(), "TBitmap");
    auto* made = static_cast<TBitmap*>(view.Picture().Graphic());
    EXPECT_EQ(made->PixelLayout(), TPixelLayout::FormatDevice);
    made->SetWidth(600);  // a display bitmap stays one when resized
    EXPECT_EQ(made->PixelLayout(), TPixelLayout::FormatDevice);

    TImage main("Image1");
    main.SetAutoSize(true);
    main.Picture().LoadFile(tmp.Write("a.bmp", Bmp(64, 48, 0x0000FF)));
    EXPECT_EQ(main.Width(), 64);
    EXPECT_EQ(main.Height(), 48);
    // A damaged file leaves picture and size as they were.
    auto damaged = Bmp(8, 8, 0);
    damaged[0] = 'X';
    EXPECT_EQ(MessageOf([&] { main.Picture().LoadFile(tmp.Write("b.bmp", damaged)); }),
              "Bitmap image is not valid");
    EXPECT_EQ(main.Width(), 64);
    EXPECT_EQ(main.Surface().ReadPixel(0, 0), clRed);
    // An empty bitmap (a 0-byte file) gets no white bitmap and no new size.
    main.Picture().LoadFile(tmp.Write("empty.bmp", {}));
    EXPECT_EQ(main.Width(), 64);
    main.Surface().WritePixel(0, 0, clBlue);
    EXPECT_EQ(main.Surface().ReadPixel(0, 0), static_cast<TColor>(0xFFFFFFFF));
    // Any other kind of graphic cannot be edited.
    main.Picture().LoadFile(tmp.Write("i.ico", Icon()));
    EXPECT_EQ(MessageOf([&] { main.Surface(); }),
              "Can only modify an image if it contains a bitmap");
    EXPECT_EQ(main.Picture().Graphic()->ClassName(), "TIcon");

    // Painting draws the picture into the parent's client area.
    TImage on("Image7");
    on.SetParent(&window);
    on.SetBounds(0, 0, 64, 48);
    on.Picture().LoadFile(tmp.Write("c.bmp", Bmp(64, 48, 0x00FF00)));
    window.PaintNow();
    gdi::HDC dc = window.ClientContext();
    EXPECT_EQ(gdi::GetPixel(dc, 10, 10), 0x00FF00u);
    gdi::ReleaseDC(dc);
    TImage orphan("Image9");
    orphan.Picture().AssignGraphic(on.Picture().Graphic());
    EXPECT_EQ(MessageOf([&] { orphan.Paint(); }), "Control 'Image9' has no parent window");
}

TEST(Picture, LoadingByExtensionAndNotifications) {
    TempDir tmp;
    TPicture picture;
    int notified = 0;
    picture.OnModified = [&](TPicture*) { ++notified; };
    EXPECT_EQ(MessageOf([&] { picture.LoadFile("C:\\fotos.2005\\imagen"); }),
              "Unknown picture file extension (.)");
    EXPECT_EQ(MessageOf([&] { picture.LoadFile("imagen.TIF"); }),
              "Unknown picture file extension (.TIF)");
    EXPECT_EQ(MessageOf([&] { picture.LoadFile((tmp.dir / "none.bmp").string()); }),
              "Cannot open file " + (tmp.dir / "none.bmp").string());
    EXPECT_EQ(notified, 0);
    picture.LoadFile(tmp.Write("UPPER.BMP", Bmp(2, 2, 0xFF0000)));
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(picture.Graphic()->ClassName(), "TBitmap");
    // Changes inside the graphic reach the subscriber.
    picture.AsBitmap()->Surface().WritePixel(0, 0, clRed);
    EXPECT_EQ(notified, 2);
    picture.AsBitmap();
    EXPECT_EQ(notified, 2);  // already a bitmap: nothing happens
    // Saving writes the held kind's own format whatever the name says.
    const std::string jpg = (tmp.dir / "out.jpg").string();
    picture.SaveFile(jpg);
    std::ifstream saved(jpg, std::ios::binary);
    EXPECT_EQ(saved.get(), 'B');
    EXPECT_EQ(saved.get(), 'M');
    // EnsureKind and AssignGraphic notify once each.
    picture.EnsureKind(TIcon::ClassInfo());
    EXPECT_EQ(notified, 3);
    TBitmap other;
    picture.AssignGraphic(&other);
    EXPECT_EQ(notified, 4);
    picture.AssignGraphic(nullptr);
    EXPECT_EQ(notified, 5);
    picture.SaveFile((tmp.dir / "nothing.bmp").string());
    EXPECT_FALSE(fs::exists(tmp.dir / "nothing.bmp"));
    // A subscriber that refuses the assignment: the copy is freed, the failure passes on.
    picture.OnModified = [](TPicture*) { throw EInvalidOperation("refused"); };
    EXPECT_EQ(MessageOf([&] { picture.AssignGraphic(&other); }), "refused");
    EXPECT_EQ(picture.Graphic(), nullptr);
    other.Surface().WritePixel(0, 0, clRed);  // the original no longer reaches the picture
}

TEST(Picture, RegistryRowsLookupAndRemoval) {
    auto& list = TFileFormatsList::Instance();
    const auto rows = list.Rows();
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[0].extension, "wmf");
    EXPECT_EQ(rows[1].description, "Enhanced Metafiles");
    EXPECT_EQ(rows[3].extension, "bmp");
    EXPECT_EQ(list.FindByExtension("BmP"), &TBitmap::ClassInfo());
    EXPECT_EQ(list.FindByExtension("png"), nullptr);
    // A later row of the same extension wins, and removing a kind removes its rows.
    TPicture::RegisterFormat("ICO", "Other icons", TBitmap::ClassInfo());
    EXPECT_EQ(list.FindByExtension("ico"), &TBitmap::ClassInfo());
    list.Remove(TBitmap::ClassInfo());
    EXPECT_EQ(list.FindByExtension("ico"), &TIcon::ClassInfo());
    EXPECT_EQ(list.FindByExtension("bmp"), nullptr);
    TPicture::RegisterFormat("bmp", "Bitmaps", TBitmap::ClassInfo());
    EXPECT_EQ(TClipboardFormats::Instance().FindFormat(2), &TBitmap::ClassInfo());
    EXPECT_EQ(RegisterClipboardFormat("GIF Image"), RegisterClipboardFormat("GIF Image"));
}

TEST(Icon, KeepsTheFileAndDrawsItsImageThroughTheMask) {
    TempDir tmp;
    TIcon icon;
    const auto file = Icon();
    icon.LoadFile(tmp.Write("a.ico", file));
    EXPECT_EQ(icon.Width(), 2);
    TBitmap target;
    Fill(target, 2, 2, clRed);
    target.Surface().DrawGraphic(0, 0, &icon);
    EXPECT_EQ(target.Surface().ReadPixel(0, 0), clRed);
    EXPECT_EQ(target.Surface().ReadPixel(1, 0), static_cast<TColor>(0x00FF00));
    EXPECT_EQ(target.Surface().ReadPixel(0, 1), clBlue);
    EXPECT_EQ(MessageOf([&] { icon.SetWidth(4); }), "Cannot change the size of an icon");
    TMemoryStream out;
    icon.SaveStream(out);
    EXPECT_EQ(out.Bytes(), file);
    auto cursor = file;
    cursor[2] = 2;
    EXPECT_EQ(MessageOf([&] { icon.LoadFile(tmp.Write("c.cur", cursor)); }),
              "Icon image is not valid");
    EXPECT_EQ(MessageOf([&] {
                  icon.LoadFile(tmp.Write("d.ico", {0, 0, 1, 0}));
              }),
              "Stream read error");
    EXPECT_EQ(MessageOf([&] {
                  std::vector<uint8_t> noData = file;
                  noData.resize(30);
                  icon.LoadFile(tmp.Write("e.ico", noData));
              }),
              "Stream read error");
}

TEST(Metafile, PlaceableAndEnhancedFilesKeepTheirFormAndSize) {
    TempDir tmp;
    // Placeable header: 1 inch by half an inch at 1440 units per inch.
    std::vector<uint8_t> wmf;
    test::Put(wmf, 0x9AC6CDD7, 4);
    test::Put(wmf, 0, 2);
    for (int v : {0, 0, 1440, 720}) test::Put(wmf, static_cast<uint32_t>(v), 2);
    test::Put(wmf, 1440, 2);
    test::Put(wmf, 0, 4);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= static_cast<uint16_t>(wmf[2 * i] | (wmf[2 * i + 1] << 8));
    test::Put(wmf, sum, 2);
    const uint8_t body[] = {1, 0, 9, 0, 0, 3, 12, 0, 0, 0, 0, 0,
                            3, 0, 0, 0, 0, 0, 3,  0, 0, 0, 0, 0};
    wmf.insert(wmf.end(), body, body + sizeof body);
    TMetafile m;
    m.LoadFile(tmp.Write("a.wmf", wmf));
    EXPECT_FALSE(m.Enhanced());
    EXPECT_EQ(m.MMWidth(), 2540);
    EXPECT_EQ(m.MMHeight(), 1270);
    EXPECT_EQ(m.Width(), 96);
    TMemoryStream same;
    m.SaveStream(same);
    EXPECT_EQ(same.Bytes(), wmf);
    auto bad = wmf;
    bad[20] ^= 1;
    EXPECT_EQ(MessageOf([&] { m.LoadFile(tmp.Write("b.wmf", bad)); }), "Metafile is not valid");

    std::vector<uint8_t> emf(120, 0);
    emf[0] = 1, emf[4] = 88;
    test::Put(emf, 0, 0);
    emf[32] = 0xD0, emf[33] = 0x07;  // frame right 2000
    emf[36] = 0xE8, emf[37] = 0x03;  // frame bottom 1000
    emf[40] = 0x20, emf[41] = 0x45, emf[42] = 0x4D, emf[43] = 0x46;
    emf[48] = 120;
    m.LoadFile(tmp.Write("c.emf", emf));
    EXPECT_TRUE(m.Enhanced());
    EXPECT_EQ(m.MMWidth(), 2000);
    const std::string asWmf = (tmp.dir / "d.wmf").string();
    m.SaveFile(asWmf);
    TMetafile back;
    back.LoadFile(asWmf);
    EXPECT_EQ(back.MMWidth(), 2000);
    TMemoryStream again;
    m.SaveStream(again);
    EXPECT_EQ(again.Bytes(), emf);
    auto shortEmf = emf;
    shortEmf[48] = 200;
    EXPECT_EQ(MessageOf([&] { m.LoadFile(tmp.Write("e.emf", shortEmf)); }), "Stream read error");
}

TEST(Bitmap, AttachedHandlesAndCallersHooks) {
    TBitmap bitmap;
    EXPECT_EQ(bitmap.HandleKind(), THandleKind::DeviceDependent);
    gdi::BITMAPINFO info;
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biBitCount = 24;
    gdi::HBITMAP section = gdi::CreateDIBSection(nullptr, info, gdi::DIB_RGB_COLORS, nullptr);
    int changes = 0;
    bitmap.OnModified = [&](TGraphic*) { ++changes; };
    bitmap.AttachHandle(section);
    EXPECT_EQ(changes, 1);
    bitmap.AttachHandle(section);  // the handle already held: nothing happens
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.PixelLayout(), TPixelLayout::Format24Bit);
    // A caller's hooks run after the bitmap's own handlers.
    int before = 0, after = 0;
    bitmap.Surface().OnBeforeModify = [&](TCanvas*) { ++before; };
    bitmap.Surface().OnAfterModify = [&](TCanvas*) { ++after; };
    bitmap.Surface().WritePixel(0, 0, clRed);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(bitmap.ScanRow(0)[2], 0xFF);
    bitmap.AttachHandle(nullptr);
    EXPECT_TRUE(bitmap.IsEmpty());
}

TEST(ImageView, ProgressWithRedrawRepaintsOnlyWhenIncremental) {
    TWindow window("Form1");
    window.SetClientSize(10, 10);
    TImage view("Image1");
    view.SetParent(&window);
    int reports = 0;
    view.OnProgress = [&](TObject*, TProgressStage, uint8_t, bool, const gdi::RECT&,
                          const std::string&) { ++reports; };
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    view.Picture().AssignGraphic(&bitmap);
    TGraphic* held = view.Picture().Graphic();
    window.PaintNow();
    view.Invalidate();
    ASSERT_TRUE(window.PaintPending());
    held->Progress(held, TProgressStage::psRunning, 50, true, {}, "");
    EXPECT_TRUE(window.PaintPending());
    view.SetIncrementalDisplay(true);
    held->Progress(held, TProgressStage::psRunning, 60, true, {}, "");
    EXPECT_FALSE(window.PaintPending());
    EXPECT_EQ(reports, 2);
}

TEST(ImageView, AWindowRepaintsOnlyWhatWasInvalidated) {
    TWindow window("Form8");
    window.SetClientSize(40, 10);
    TImage left("Image1"), right("Image2");
    left.SetParent(&window);
    right.SetParent(&window);
    left.SetBounds(0, 0, 20, 10);
    right.SetBounds(20, 0, 20, 10);
    TBitmap red, green;
    Fill(red, 20, 10, clRed);
    Fill(green, 20, 10, clGreen);
    left.Picture().AssignGraphic(&red);
    right.Picture().AssignGraphic(&green);
    window.PaintNow();
    gdi::RECT shown;
    window.OnSurfaceChanged = [&](const gdi::RECT& area) { shown = area; };
    // Something drawn straight on the client area stays until its part is repainted.
    gdi::HDC dc = window.ClientContext();
    gdi::SetPixel(dc, 25, 5, 0xFF0000);
    gdi::SetPixel(dc, 5, 5, 0xFF0000);
    left.Invalidate();
    window.PaintNow();
    EXPECT_EQ(shown, left.BoundsRect());
    EXPECT_EQ(gdi::GetPixel(dc, 5, 5), 0x0000FFu);
    EXPECT_EQ(gdi::GetPixel(dc, 25, 5), 0xFF0000u);
    // A repaint that nobody asked for renders everything.
    window.PaintNow();
    EXPECT_EQ(gdi::GetPixel(dc, 25, 5), 0x008000u);
    gdi::ReleaseDC(dc);
}
