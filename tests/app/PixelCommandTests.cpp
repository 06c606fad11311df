#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/runtime/Exceptions.h"
#include "tests/app/WorkbenchFixture.h"

using namespace vardel;
using namespace vardel::test;

namespace {
// A few colours that tell the channels apart.
TColor Mixed(int x, int y) {
    return Rgb((x * 37 + 11) & 0xFF, (y * 53 + 7) & 0xFF, (x * y * 29 + 3) & 0xFF);
}
}  // namespace

TEST_F(WorkbenchTest, ChannelCommandsKeepOrGreyOneChannel) {
    const TColor sample = Rgb(0x99, 0x66, 0x33);
    const std::vector<std::pair<TMenuItem*, TColor>> cases = {
        {Form1->EscaladeGrises1, Rgb(0, 0, 0x33)},
        {Form1->odaRoja1, Rgb(0x99, 0, 0)},
        {Form1->odaVerde1, Rgb(0, 0x66, 0)},
        {Form1->ComponenteAzul1, Rgb(0x33, 0x33, 0x33)},
        {Form1->ComponenteVerde1, Rgb(0x66, 0x66, 0x66)},
        {Form1->ComponenteRoja1, Rgb(0x99, 0x99, 0x99)}};
    for (const auto& [item, expected] : cases) {
        PutPicture(*Form1->Image1, 3, 2, [&](int, int) { return sample; });
        item->Click();
        EXPECT_EQ(PixelsOf(*Form1->Image1), std::vector<TColor>(6, expected)) << item->Caption();
        EXPECT_EQ(HeldBitmap(*Form1->Image1)->Width(), 3);
        EXPECT_EQ(Form1->Image1->Height(), 2);
    }
    EXPECT_TRUE(messages.empty());

    // Keeping red leaves no blue for the blue grey.
    PutPicture(*Form1->Image1, 8, 5, Mixed);
    Form1->odaRoja1->Click();
    Form1->ComponenteAzul1->Click();
    EXPECT_EQ(PixelsOf(*Form1->Image1), std::vector<TColor>(40, 0));

    // A grey made twice is the grey made once; every pixel takes its own value.
    PutPicture(*Form1->Image1, 8, 5, Mixed);
    Form1->ComponenteVerde1->Click();
    const std::vector<TColor> once = PixelsOf(*Form1->Image1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(once[size_t(y * 8 + x)], ((Mixed(x, y) >> 8) & 0xFF) * 0x10101);
    Form1->ComponenteVerde1->Click();
    EXPECT_EQ(PixelsOf(*Form1->Image1), once);
}

TEST_F(WorkbenchTest, PixelCommandsOnAnEmptyViewOrOnAPictureThatIsNoBitmap) {
    // An empty main view gets a white bitmap of its size first.
    Form1->ComponenteRoja1->Click();
    ASSERT_NE(HeldBitmap(*Form1->Image1), nullptr);
    EXPECT_EQ(SizeOf(*HeldBitmap(*Form1->Image1)), Size(721, 321));
    EXPECT_EQ(PixelOf(*Form1->Image1, 0, 0), 0xFFFFFF);
    EXPECT_EQ(PixelOf(*Form1->Image1, 720, 320), 0xFFFFFF);

    Form1->Image1->Picture().LoadFile(SaveIcon("picture.ico"));
    for (TMenuItem* item : {Form1->EscaladeGrises1, Form1->odaVerde1, Form1->ComponenteRoja1})
        item->Click();
    AnswerModal();
    Form1->Umbral1->Click();
    Form1->Contraste1->Click();
    EXPECT_EQ(messages, std::vector<std::string>(5, kNotABitmap));
    EXPECT_STREQ(Form1->Image1->Picture().Graphic()->ClassName().data(), "TIcon");
}

TEST_F(WorkbenchTest, ThresholdComparesTheBlueChannelWithTheDialogsValue) {
    const std::vector<TColor> row = {Rgb(0, 0, 51), Rgb(255, 255, 50), Rgb(0, 0, 0), Rgb(7, 7, 255),
                                     Rgb(9, 9, 8)};
    // The picture after the dialog's texts (none: its default).
    auto threshold = [&](std::vector<std::optional<std::string>> texts) {
        PutPicture(*Form1->Image1, 5, 1, [&](int x, int) { return row[size_t(x)]; });
        AnswerModal(texts);
        Form1->Umbral1->Click();
        return PixelsOf(*Form1->Image1);
    };
    using Row = std::vector<TColor>;
    const TColor W = 0xFFFFFF, B = 0;

    EXPECT_EQ(threshold({}), (Row{W, B, B, W, B}));
    EXPECT_EQ(modalShown, std::vector<TForm*>{Form2});
    EXPECT_FALSE(Form2->Showing());
    // Running it again with the same value changes nothing more.
    Form1->Umbral1->Click();
    EXPECT_EQ(PixelsOf(*Form1->Image1), (Row{W, B, B, W, B}));
    EXPECT_EQ(threshold({"-1"}), (Row{W, W, W, W, W}));
    EXPECT_EQ(threshold({"255"}), (Row{B, B, B, B, B}));
    EXPECT_EQ(threshold({"300"}), (Row{B, B, B, B, B}));
    EXPECT_EQ(threshold({" 7"}), (Row{W, W, B, W, W}));
    EXPECT_EQ(threshold({"$32"}), (Row{W, B, B, W, B}));
    EXPECT_TRUE(messages.empty());

    // Bad texts stop the command after the dialog; the text stays in the field.
    for (const std::string bad : {"7 ", "", "abc", "2147483648"}) {
        EXPECT_EQ(threshold({bad}), row);
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), "'" + bad + "' is not a valid integer value.");
        EXPECT_EQ(Form2->Edit1->Text(), bad);
    }
}

TEST_F(WorkbenchTest, TheThresholdDialogRunsModallyAndEitherWayOfClosingItApplies) {
    PutPicture(*Form1->Image1, 2, 1, [](int x, int) { return Rgb(0, 0, x ? 60 : 40); });
    Form1->Present();
    bool modal = false;
    QTimer::singleShot(0, [&] {
        modal = Form2->Modal() && QApplication::activeModalWidget() == Form2->Widget();
        static_cast<QLineEdit*>(Form2->Edit1->Widget())->setText("45");
        static_cast<QPushButton*>(Form2->Button1->Widget())->click();
    });
    Form1->Umbral1->Click();
    EXPECT_TRUE(modal);
    EXPECT_FALSE(Form2->Showing());
    EXPECT_EQ(PixelsOf(*Form1->Image1), (std::vector<TColor>{0, 0xFFFFFF}));

    PutPicture(*Form1->Image1, 2, 1, [](int x, int) { return Rgb(0, 0, x ? 60 : 40); });
    QTimer::singleShot(0, [&] { Form2->Widget()->close(); });
    Form1->Umbral1->Click();
    EXPECT_EQ(PixelsOf(*Form1->Image1), (std::vector<TColor>{0, 0xFFFFFF}));
    EXPECT_EQ(Form2->Edit1->Text(), "45");
}

TEST_F(WorkbenchTest, ContrastLooksTheBlueChannelUpInTheTable) {
    const std::vector<int> blues = {0, 10, 11, 100, 199, 200, 255};
    // The blue values after the dialog's texts (none: its defaults).
    auto contrast = [&](std::vector<std::optional<std::string>> texts) {
        PutPicture(*Form1->Image1, int(blues.size()), 1,
                   [&](int x, int) { return Rgb(200, 3, blues[size_t(x)]); });
        AnswerModal(texts);
        Form1->Contraste1->Click();
        std::vector<int> out;
        for (TColor c : PixelsOf(*Form1->Image1)) {
            EXPECT_EQ(c, (c & 0xFF) * 0x10101);  // grey
            out.push_back(c & 0xFF);
        }
        return out;
    };
    EXPECT_EQ(contrast({}), (std::vector<int>{20, 20, 21, 131, 254, 255, 255}));
    EXPECT_EQ(modalShown, std::vector<TForm*>{ParContraste});
    // The fields in order (the table itself has tests of its own). Minimum above
    // maximum: below the maximum the base, from it up white.
    EXPECT_EQ(contrast({"150", "100", "20"}), (std::vector<int>{20, 20, 20, 255, 255, 255, 255}));
    // The grey is the low byte of the table's entry.
    EXPECT_EQ(contrast({"10", "200", "300"})[0], 44);
    EXPECT_EQ(contrast({"10", "200", "-10"})[0], 246);
    EXPECT_TRUE(messages.empty());
}

TEST_F(WorkbenchTest, ContrastErrorsLeaveThePictureAlone) {
    PutPicture(*Form1->Image1, 4, 3, Mixed);
    const std::vector<TColor> before = PixelsOf(*Form1->Image1);
    const std::vector<std::pair<std::vector<std::optional<std::string>>, std::string>> cases = {
        {{"x", "y", "z"}, "'x' is not a valid integer value."},
        {{"10", "y", "z"}, "'y' is not a valid integer value."},
        {{"10", "200", " "}, "' ' is not a valid integer value."},
        {{"100", "100", "20"}, "Floating point division by zero."},
        {{"100", "100", "255"}, "Invalid floating point operation."},
        {{"300", "300", "0"}, "Floating point division by zero."}};
    for (const auto& [texts, message] : cases) {
        AnswerModal(texts);
        Form1->Contraste1->Click();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), message);
        EXPECT_EQ(PixelsOf(*Form1->Image1), before);
    }
    EXPECT_EQ(messages.size(), cases.size());
    // The program goes on: the next command works.
    AnswerModal({"0", "255", "0"});
    Form1->Contraste1->Click();
    EXPECT_EQ(messages.size(), cases.size());
    EXPECT_NE(PixelsOf(*Form1->Image1), before);
}

TEST_F(WorkbenchTest, TheEraseBrushPaintsWhiteSquaresWhileItIsOn) {
    PutPicture(*Form1->Image1, 30, 30, [](int, int) { return 0; });
    Form1->Present();
    auto whites = [&] {
        std::vector<std::pair<int, int>> at;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x)
                if (PixelOf(*Form1->Image1, x, y) == 0xFFFFFF) at.emplace_back(x, y);
        return at;
    };
    SendMouseMove(*Form1, 10, 10);
    EXPECT_TRUE(whites().empty());

    Form1->Habilitarborrado1->Click();
    EXPECT_FALSE(Form1->Habilitarborrado1->Enabled());
    EXPECT_TRUE(Form1->Deshabilitarborrado1->Enabled());
    SendMouseMove(*Form1, 10, 10);
    std::vector<std::pair<int, int>> expected;
    for (int y = 9; y <= 11; ++y)
        for (int x = 9; x <= 11; ++x) expected.emplace_back(x, y);
    EXPECT_EQ(whites(), expected);

    // At the corner the writes at −1 change nothing; a held button makes no difference.
    PutPicture(*Form1->Image1, 30, 30, [](int, int) { return 0; });
    SendMouseMove(*Form1, 0, 0, Qt::LeftButton);
    EXPECT_EQ(whites(), (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));

    Form1->Deshabilitarborrado1->Click();
    EXPECT_TRUE(Form1->Habilitarborrado1->Enabled());
    EXPECT_FALSE(Form1->Deshabilitarborrado1->Enabled());
    SendMouseMove(*Form1, 20, 20);
    EXPECT_EQ(whites().size(), 4u);
    // A disabled item cannot be chosen.
    Form1->Deshabilitarborrado1->Click();
    EXPECT_TRUE(Form1->Habilitarborrado1->Enabled());
}

TEST_F(WorkbenchTest, TheEraseBrushOnAnEmptyViewOrOnAPictureThatIsNoBitmap) {
    Form1->Present();
    Form1->Habilitarborrado1->Click();
    SendMouseMove(*Form1, 5, 5);
    ASSERT_NE(HeldBitmap(*Form1->Image1), nullptr);
    EXPECT_EQ(HeldBitmap(*Form1->Image1)->Width(), 721);

    Form1->Image1->Picture().LoadFile(SaveIcon("picture.ico"));
    SendMouseMove(*Form1, 5, 5);
    EXPECT_TRUE(messages.empty());
    EXPECT_STREQ(Form1->Image1->Picture().Graphic()->ClassName().data(), "TIcon");
}

TEST_F(WorkbenchTest, TheEraseBrushShowsEveryOtherFailureInTheErrorBox) {
    PutPicture(*Form1->Image1, 30, 30, [](int, int) { return 0; });
    Form1->Present();
    Form1->Habilitarborrado1->Click();
    // The view's handling of the change runs out of memory.
    TPicture& picture = Form1->Image1->Picture();
    const auto viewHandler = picture.OnModified;
    picture.OnModified = [&](TPicture* sender) {
        viewHandler(sender);
        throw EOutOfMemory(msg::kOutOfMemory);
    };
    SendMouseMove(*Form1, 10, 10);
    picture.OnModified = viewHandler;
    EXPECT_EQ(messages, std::vector<std::string>{"Out of memory."});
}
