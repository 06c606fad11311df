// Every pixel command run both ways, straight on the rows with the change told once and
// pixel by pixel with every write told, must not differ in anything a user or a caller
// can see: pixels, copy on write, refusals, what anyone listening hears, and the view's
// size and invalidation.
#include "app/PixelLoops.h"
#include "graphics/Icon.h"
#include "tests/MessageOf.h"
#include "tests/app/WorkbenchFixture.h"

using namespace vardel;
using namespace vardel::test;

namespace {
TColor Mixed(int x, int y) {
    return Rgb((x * 37 + 11) & 0xFF, (y * 53 + 7) & 0xFF, (x * y * 29 + 3) & 0xFF);
}

// How a bitmap stores its pixels: bits per pixel (0: a display bitmap), the bit
// fields of 16 or 32 bits (none: the plain layout), the row order.
struct TLayout {
    int bits;
    std::array<uint32_t, 3> masks;
    bool topDown;
    // Whether the commands run straight on its rows.
    bool Batched() const { return (bits == 24 || bits == 32 || bits == 0) && masks[0] == 0; }
};

std::string NameOf(const TLayout& layout) {
    std::string name = layout.bits ? std::to_string(layout.bits) + " bits" : "display";
    if (layout.masks[0]) name += " with masks " + std::to_string(layout.masks[1]);
    return name + (layout.topDown ? ", top-down" : "");
}

// Every layout the project makes: display bitmaps, and sections of 1, 4, 8, 16 bits
// (5-5-5 and 5-6-5), 24 and 32 bits (plain and with bit fields), in both row orders.
std::vector<TLayout> Layouts() {
    std::vector<TLayout> layouts = {{0, {}, false}};
    for (bool topDown : {false, true})
        for (TLayout layout :
             {TLayout{1, {}, false}, TLayout{4, {}, false}, TLayout{8, {}, false},
              TLayout{16, {}, false}, TLayout{16, {0x7C00, 0x03E0, 0x001F}, false},
              TLayout{16, {0xF800, 0x07E0, 0x001F}, false}, TLayout{24, {}, false},
              TLayout{32, {}, false}, TLayout{32, {0xFF, 0xFF00, 0xFF0000}, false}}) {
            layout.topDown = topDown;
            layouts.push_back(layout);
        }
    return layouts;
}

// The colour table the project gives a layout of 8 bits or fewer.
std::vector<gdi::RGBQUAD> ColorTable(int bits) {
    TBitmap probe;
    probe.SetPixelLayout(bits == 1   ? TPixelLayout::Format1Bit
                         : bits == 4 ? TPixelLayout::Format4Bit
                                     : TPixelLayout::Format8Bit);
    probe.SetSize(1, 1);
    gdi::PALETTEENTRY entries[256];
    const unsigned n = gdi::GetPaletteEntries(probe.Palette(), 0, 256, entries);
    std::vector<gdi::RGBQUAD> table;
    for (unsigned i = 0; i < n; ++i)
        table.push_back({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
    if (table.empty()) table = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    return table;
}

// A bitmap of the layout painted by `color`; on 32 bits the fourth bytes hold a
// pattern of their own, which writes must leave as it is.
std::unique_ptr<TBitmap> MakeLayout(const TLayout& layout, int width, int height,
                                    const std::function<TColor(int, int)>& color) {
    auto bitmap = std::make_unique<TBitmap>();
    if (layout.bits == 0) {
        bitmap->SetSize(width, height);
    } else {
        gdi::BITMAPINFO info;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = layout.topDown ? -height : height;
        info.bmiHeader.biBitCount = static_cast<uint16_t>(layout.bits);
        if (layout.masks[0]) {
            info.bmiHeader.biCompression = gdi::BI_BITFIELDS;
            info.bmiMasks = layout.masks;
        }
        if (layout.bits <= 8) info.bmiColors = ColorTable(layout.bits);
        bitmap->AttachHandle(gdi::CreateDIBSection(nullptr, info, gdi::DIB_RGB_COLORS, nullptr));
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap->Surface().WritePixel(x, y, color(x, y));
    if (layout.bits == 32 && !layout.masks[0])
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bitmap->ScanRow(y)[4 * x + 3] = static_cast<uint8_t>(x ^ (y * 16));
    return bitmap;
}

// The stored bytes of a section, padding and fourth bytes included (none for a
// display bitmap, whose rows the program does not address).
std::vector<uint8_t> StoredBytes(TBitmap& bitmap) {
    const gdi::BITMAP& b = bitmap.Image().description.dsBm;
    if (!b.bmBits) return {};
    return {b.bmBits, b.bmBits + size_t(b.bmWidthBytes) * size_t(b.bmHeight)};
}

std::vector<TColor> PixelsOfBitmap(TBitmap& bitmap) {
    std::vector<TColor> pixels;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) pixels.push_back(bitmap.Surface().ReadPixel(x, y));
    return pixels;
}

// What a command leaves: the pixels and stored bytes of both views.
struct TOutcome {
    std::vector<TColor> main, second;
    std::vector<uint8_t> mainBytes, secondBytes;
    std::vector<std::string> messages;
    bool operator==(const TOutcome&) const = default;
};

// A command and the pictures it starts from: the main view's, and the second view's
// (none: the second view stays empty).
struct TCase {
    std::string name;
    TMenuItem* TForm1::*item;
    Size main;
    Size second;
};

std::vector<TCase> Cases() {
    std::vector<TCase> cases;
    for (auto [name, item] : std::initializer_list<std::pair<const char*, TMenuItem * TForm1::*>>{
             {"Toda Azul", &TForm1::EscaladeGrises1},
             {"Toda Roja", &TForm1::odaRoja1},
             {"Toda Verde", &TForm1::odaVerde1},
             {"Componente Azul", &TForm1::ComponenteAzul1},
             {"Componente Verde", &TForm1::ComponenteVerde1},
             {"Componente Roja", &TForm1::ComponenteRoja1},
             {"Umbral", &TForm1::Umbral1},
             {"Contraste", &TForm1::Contraste1}})
        cases.push_back({name, item, {7, 5}, {0, 0}});
    // The filters: from the main view into a larger, a smaller and an empty second
    // view; in place over the second view's 577 × 345 on smaller and larger pictures.
    cases.push_back({"Convol2", &TForm1::Convol21, {7, 5}, {9, 6}});
    cases.push_back({"Convol2", &TForm1::Convol21, {9, 6}, {5, 4}});
    cases.push_back({"Convol2", &TForm1::Convol21, {6, 4}, {0, 0}});
    cases.push_back({"Convolucion", &TForm1::Convolucion1, {0, 0}, {9, 6}});
    cases.push_back({"Convolucion", &TForm1::Convolucion1, {0, 0}, {580, 347}});
    return cases;
}

class PixelWalkTest : public WorkbenchTest {
  protected:
    void TearDown() override {
        WalkPixelByPixel = false;
        WorkbenchTest::TearDown();
    }

    // Puts the case's pictures into the views (or empties them).
    void PutPictures(const TCase& c, const TLayout& layout) {
        Form1->Image1->Picture().AssignGraphic(
            c.main.first ? MakeLayout(layout, c.main.first, c.main.second, Mixed).get() : nullptr);
        Form8->Image2->Picture().AssignGraphic(
            c.second.first ? MakeLayout(layout, c.second.first, c.second.second,
                                        [](int x, int y) { return Mixed(y, x) ^ 0x5A5A5A; })
                                 .get()
                           : nullptr);
    }

    TOutcome Outcome() {
        TOutcome o{PixelsOf(*Form1->Image1), PixelsOf(*Form8->Image2), {}, {}, messages};
        if (TBitmap* b = HeldBitmap(*Form1->Image1)) o.mainBytes = StoredBytes(*b);
        if (TBitmap* b = HeldBitmap(*Form8->Image2)) o.secondBytes = StoredBytes(*b);
        return o;
    }
};

// Records what a caller listening somewhere on the written view's chain hears: what
// kind of notice, and the pixels at three places when it came.
struct TListener {
    std::vector<std::string> heard;
    void Hear(const std::string& what, TImage& view) {
        std::string s = what;
        for (auto [x, y] : {std::pair{0, 0}, {1, 1}, {3, 2}})
            s += " " + std::to_string(PixelOf(view, x, y));
        heard.push_back(s);
    }
};
}  // namespace

TEST_F(PixelWalkTest, EveryCommandGivesTheSamePixelsBothWaysOnEveryLayout) {
    AnswerModal();
    for (const TLayout& layout : Layouts())
        for (const TCase& c : Cases())
            for (bool shared : {false, true}) {
                TOutcome outcome[2];
                for (bool pixelByPixel : {true, false}) {
                    WalkPixelByPixel = pixelByPixel;
                    messages.clear();
                    PutPictures(c, layout);
                    // Another holder of the same pixels, which the command must not change.
                    TBitmap other;
                    TImage& written = c.second.first ? *Form8->Image2 : *Form1->Image1;
                    if (shared && HeldBitmap(written)) other.Assign(HeldBitmap(written));
                    const std::vector<uint8_t> before = StoredBytes(other);
                    const std::vector<TColor> beforePixels = PixelsOfBitmap(other);
                    (Form1->*c.item)->Click();
                    outcome[pixelByPixel] = Outcome();
                    EXPECT_EQ(StoredBytes(other), before);
                    EXPECT_EQ(PixelsOfBitmap(other), beforePixels);
                }
                const std::string what =
                    c.name + " on " + NameOf(layout) + (shared ? ", shared" : "");
                EXPECT_EQ(outcome[0], outcome[1]) << what;
                EXPECT_TRUE(outcome[0].messages.empty()) << what;
            }
}

TEST_F(PixelWalkTest, TheBatchedWalkRunsOnTheRowsOfTwentyFourAndThirtyTwoBitsOnly) {
    for (const TLayout& layout : Layouts()) {
        Form1->Image1->Picture().AssignGraphic(MakeLayout(layout, 5, 3, Mixed).get());
        EXPECT_EQ(MapViewPixels(*Form1->Image1, [](TColor p) { return Grey(RedOf(p)); }),
                  layout.Batched())
            << NameOf(layout);
    }
    // On 32 bits only the three colour bytes change.
    Form1->Image1->Picture().AssignGraphic(MakeLayout({32, {}, true}, 5, 3, Mixed).get());
    MapViewPixels(*Form1->Image1, [](TColor) { return clWhite; });
    TBitmap& held = *HeldBitmap(*Form1->Image1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(held.Surface().ReadPixel(x, y), clWhite);
            EXPECT_EQ(held.ScanRow(y)[4 * x + 3], x ^ (y * 16));
        }
    // An empty walk asks for no surface; nothing else changes either.
    Form1->Image1->Picture().AssignGraphic(nullptr);
    Form1->Image1->SetAutoSize(false);
    Form1->Image1->SetBounds(0, 0, 0, 5);
    EXPECT_FALSE(MapViewPixels(*Form1->Image1, [](TColor p) { return p; }));
    EXPECT_EQ(Form1->Image1->Picture().Graphic(), nullptr);
}

TEST_F(PixelWalkTest, ACallerListeningAnywhereOnTheChainHearsEveryWriteAsToday) {
    AnswerModal();
    enum TWhere {
        BeforeHook,
        AfterHook,
        BitmapSubscriber,
        PictureSubscriber,
        WrappedPictureSubscriber
    };
    const std::vector<TCase> cases = {{"Componente Roja", &TForm1::ComponenteRoja1, {5, 4}, {0, 0}},
                                      {"Umbral", &TForm1::Umbral1, {5, 4}, {0, 0}},
                                      {"Convol2", &TForm1::Convol21, {5, 4}, {6, 5}},
                                      {"Convolucion", &TForm1::Convolucion1, {0, 0}, {5, 4}}};
    for (const TCase& c : cases)
        for (TWhere where : {BeforeHook, AfterHook, BitmapSubscriber, PictureSubscriber,
                             WrappedPictureSubscriber}) {
            std::vector<std::string> heard[2];
            for (bool pixelByPixel : {true, false}) {
                WalkPixelByPixel = pixelByPixel;
                PutPictures(c, {24, {}, false});
                TImage& view = c.second.first ? *Form8->Image2 : *Form1->Image1;
                TBitmap& bitmap = *HeldBitmap(view);
                TListener listener;
                const auto own = view.Picture().OnModified;
                switch (where) {
                    case BeforeHook:
                        bitmap.Surface().OnBeforeModify = [&](TCanvas*) {
                            listener.Hear("changing", view);
                        };
                        break;
                    case AfterHook:
                        bitmap.Surface().OnAfterModify = [&](TCanvas*) {
                            listener.Hear("changed", view);
                        };
                        break;
                    case BitmapSubscriber:
                        bitmap.OnModified = [&](TGraphic*) { listener.Hear("bitmap", view); };
                        break;
                    case PictureSubscriber:
                        view.Picture().OnModified = [&](TPicture*) {
                            listener.Hear("picture", view);
                        };
                        break;
                    case WrappedPictureSubscriber:
                        view.Picture().OnModified = [&](TPicture* p) {
                            listener.Hear("picture", view);
                            own(p);
                        };
                        break;
                }
                (Form1->*c.item)->Click();
                view.Picture().OnModified = own;
                heard[pixelByPixel] = listener.heard;
            }
            EXPECT_EQ(heard[0], heard[1]) << c.name << " " << where;
            // One notice a position, as a pixel-by-pixel walk gives.
            const size_t positions = c.item == &TForm1::Convolucion1 ? 575 * 343
                                     : c.item == &TForm1::Convol21   ? 3 * 2
                                                                     : 5 * 4;
            EXPECT_EQ(heard[0].size(), positions) << c.name << " " << where;
        }
}

TEST_F(PixelWalkTest, TheViewIsSizedInvalidatedAndMarkedAsTodayAndRepaintedLater) {
    struct TSeen {
        gdi::RECT bounds, dirty;
        bool pending, modified;
        std::vector<TColor> shown;
        bool operator==(const TSeen&) const = default;
    };
    TSeen seen[2];
    Form1->Present();
    for (bool pixelByPixel : {true, false}) {
        WalkPixelByPixel = pixelByPixel;
        PutPicture(*Form1->Image1, 40, 30, Mixed);
        // Transparent, so that painting builds the mask that a change outdates.
        Form1->Image1->SetTransparent(true);
        Form1->PaintNow();
        // The view was moved and resized since: the change sizes it to its picture again.
        Form1->Image1->SetBounds(3, 2, 10, 10);
        Form1->PaintNow();
        TGraphic& graphic = *Form1->Image1->Picture().Graphic();
        Form1->odaRoja1->Click();
        TSeen& s = seen[pixelByPixel];
        s = {Form1->Image1->BoundsRect(),
             Form1->DirtyRect(),
             Form1->PaintPending(),
             graphic.Modified(),
             {}};
        // Nothing was painted yet; the next paint shows the change through a new mask.
        gdi::HDC dc = Form1->ClientContext();
        for (int i = 0; i < 40; ++i)
            s.shown.push_back(static_cast<TColor>(gdi::GetPixel(dc, 3 + i, 2 + i * 3 / 4)));
        Form1->PaintNow();
        for (int i = 0; i < 40; ++i)
            s.shown.push_back(static_cast<TColor>(gdi::GetPixel(dc, 3 + i, 2 + i * 3 / 4)));
        gdi::ReleaseDC(dc);
    }
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[1].bounds, (gdi::RECT{3, 2, 43, 32}));
    EXPECT_TRUE(seen[1].pending);
    EXPECT_TRUE(seen[1].modified);
    EXPECT_NE(std::vector<TColor>(seen[1].shown.begin(), seen[1].shown.begin() + 40),
              std::vector<TColor>(seen[1].shown.begin() + 40, seen[1].shown.end()));
}

TEST_F(PixelWalkTest, RefusalsComeBeforeAnythingChangesBothWays) {
    AnswerModal();
    for (bool pixelByPixel : {true, false}) {
        WalkPixelByPixel = pixelByPixel;
        messages.clear();
        // A main view that holds no bitmap: every command on it refuses.
        Form1->Image1->Picture().LoadFile(SaveIcon("main.ico"));
        PutPicture(*Form8->Image2, 6, 5, Mixed);
        const std::vector<TColor> second = PixelsOf(*Form8->Image2);
        for (TMenuItem* item : {Form1->EscaladeGrises1, Form1->ComponenteRoja1, Form1->Umbral1,
                                Form1->Contraste1, Form1->Convol21})
            item->Click();
        EXPECT_EQ(messages, std::vector<std::string>(5, kNotABitmap));
        EXPECT_EQ(PixelsOf(*Form8->Image2), second);
        // The second view holds none: the filters refuse, the main view stays as it was.
        PutPicture(*Form1->Image1, 6, 5, Mixed);
        const std::vector<TColor> main = PixelsOf(*Form1->Image1);
        Form8->Image2->Picture().LoadFile(SaveIcon("second.ico"));
        Form1->Convol21->Click();
        Form1->Convolucion1->Click();
        EXPECT_EQ(messages.size(), 7u);
        EXPECT_EQ(messages.back(), kNotABitmap);
        EXPECT_EQ(PixelsOf(*Form1->Image1), main);
        EXPECT_STREQ(Form8->Image2->Picture().Graphic()->ClassName().data(), "TIcon");
        // A surface with nowhere to draw refuses before the source is touched.
        TCanvas bare;
        int changes = 0;
        HeldBitmap(*Form1->Image1)->OnModified = [&](TGraphic*) { ++changes; };
        EXPECT_EQ(MessageOf([&] {
                      WalkSurfaces(Form1->Image1->Surface(), bare, {0, 0, 3, 3}, 0, !pixelByPixel,
                                   [](const auto& read, int x, int y) { return read(x, y); });
                  }),
                  "Canvas does not allow drawing");
        EXPECT_EQ(changes, 0);
        EXPECT_EQ(PixelsOf(*Form1->Image1), main);
    }
}
