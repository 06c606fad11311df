// The workbench from the keyboard: menu commands through F10 or Alt, the threshold and
// contrast dialogs with typed values, Enter and Escape; and the titles of the file
// dialogs.
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "tests/app/WorkbenchFixture.h"
#include "tests/ui/UiTestSupport.h"

using namespace vardel;
using namespace vardel::test;

namespace {

// Two pixels whose blue bytes are given (red and green are there to be ignored).
void PutBlues(int left, int right) {
    PutPicture(*Form1->Image1, 2, 1, [=](int x, int) { return Rgb(0x99, 0x66, x ? right : left); });
}

constexpr TColor Grey(int v) {
    return Rgb(v, v, v);
}

// What a dialog's first field looked like when the dialog opened.
struct TOpened {
    QWidget* focused = nullptr;
    QString selected;
};

// Presses `keys` once `dialog` shows modally and is active, after noting the focus and
// the selection then. Should the keys miss, the dialog is closed all the same.
void WhenModal(TForm* dialog, TOpened& opened, std::function<void()> keys) {
    QTimer::singleShot(0, [dialog, &opened, keys] {
        Activated(dialog->Widget());
        opened.focused = QApplication::focusWidget();
        if (auto* field = qobject_cast<QLineEdit*>(opened.focused))
            opened.selected = field->selectedText();
        keys();
        if (dialog->Modal() && dialog->ModalResult() == mrNone) dialog->Dismiss();
    });
}

}  // namespace

TEST_F(WorkbenchTest, MenuCommandsAreChosenFromTheKeyboard) {
    PutBlues(40, 60);
    Form1->Present();
    ProcessEvents();
    // F10, along to "Escala de Grises", down its drop-down to "Componente Roja".
    ASSERT_TRUE(PressKey(Qt::Key_F10));
    for (int key :
         {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
        PressKey(key);
    EXPECT_EQ(PixelsOf(*Form1->Image1), (std::vector<TColor>{Grey(0x99), Grey(0x99)}));

    // Alt alone, along to "Umbral" on the bar itself, Enter; in the dialog the digits
    // typed go into the field and Enter confirms.
    PutBlues(40, 60);
    TOpened opened;
    WhenModal(Form2, opened, [] {
        TypeText("45");
        PressKey(Qt::Key_Return);
    });
    PressKey(Qt::Key_Alt, Qt::AltModifier);
    for (int key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}) PressKey(key);
    EXPECT_EQ(opened.focused, Form2->Edit1->Widget());
    EXPECT_FALSE(Form2->Showing());
    EXPECT_EQ(Form2->Edit1->Text(), "45");
    EXPECT_EQ(PixelsOf(*Form1->Image1), (std::vector<TColor>{0, 0xFFFFFF}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(WorkbenchTest, TheDialogsTakeTypedValuesEachTimeTheyOpenEnterConfirmsEscapeCloses) {
    Form1->Present();
    ProcessEvents();
    // "Umbral": typed over the selected default, then "Aceptar" pressed with the focus
    // on it, as a user who tabs there does.
    PutBlues(40, 60);
    TOpened first, second;
    WhenModal(Form2, first, [] {
        TypeText("45");
        Form2->Button1->Widget()->setFocus(Qt::TabFocusReason);
        PressKey(Qt::Key_Space);
    });
    Form1->Umbral1->Click();
    EXPECT_EQ(first.focused, Form2->Edit1->Widget());
    EXPECT_EQ(first.selected, "50");
    EXPECT_EQ(PixelsOf(*Form1->Image1), (std::vector<TColor>{0, 0xFFFFFF}));
    // The second time the field has the focus again, its text selected; Escape closes
    // the dialog as its title-bar button does, and the typed value applies.
    PutBlues(20, 60);
    WhenModal(Form2, second, [] {
        TypeText("9");
        PressKey(Qt::Key_Escape);
    });
    Form1->Umbral1->Click();
    EXPECT_EQ(second.focused, Form2->Edit1->Widget());
    EXPECT_EQ(second.selected, "45");
    EXPECT_FALSE(Form2->Showing());
    EXPECT_EQ(PixelsOf(*Form1->Image1), (std::vector<TColor>{0xFFFFFF, 0xFFFFFF}));

    // "Contraste": the fields in their tab order, each typed over; Enter confirms.
    PutBlues(40, 60);
    TOpened third, fourth;
    WhenModal(ParContraste, third, [] {
        TypeText("0");
        PressKey(Qt::Key_Tab);
        TypeText("255");
        PressKey(Qt::Key_Tab);
        TypeText("0");
        PressKey(Qt::Key_Enter);
    });
    Form1->Contraste1->Click();
    EXPECT_EQ(third.focused, ParContraste->Edit1->Widget());
    EXPECT_EQ(third.selected, "10");
    EXPECT_EQ(ParContraste->Edit2->Text(), "255");
    EXPECT_EQ(PixelsOf(*Form1->Image1), (std::vector<TColor>{Grey(40), Grey(60)}));
    PutBlues(40, 60);
    WhenModal(ParContraste, fourth, [] { PressKey(Qt::Key_Escape); });
    Form1->Contraste1->Click();
    EXPECT_EQ(fourth.focused, ParContraste->Edit1->Widget());
    EXPECT_EQ(fourth.selected, "0");
    EXPECT_FALSE(ParContraste->Showing());
    EXPECT_EQ(PixelsOf(*Form1->Image1), (std::vector<TColor>{Grey(40), Grey(60)}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(WorkbenchTest, TheFileDialogsHaveSpanishTitles) {
    Form1->SalvarImagen1->Click();
    Form1->SalvarImagen2->Click();
    Form1->Convolucion1->Click();
    ASSERT_EQ(fileRequests.size(), 3u);
    EXPECT_EQ(fileRequests[0].title, "Abrir imagen");
    EXPECT_EQ(fileRequests[1].title, "Guardar imagen");
    EXPECT_EQ(fileRequests[2].title, "Abrir imagen para filtrar");
    // Filters, default extensions and what each dialog is for stay as they were.
    EXPECT_FALSE(fileRequests[0].save);
    EXPECT_EQ(fileRequests[0].filter, "Mapa de bits (*.bmp)|*.bmp|jpeg (*.jpg)|*.jpg");
    EXPECT_EQ(fileRequests[0].defaultExtension, "bmp");
    EXPECT_TRUE(fileRequests[1].save);
    EXPECT_EQ(fileRequests[1].filter, "");
    EXPECT_FALSE(fileRequests[2].save);
    EXPECT_EQ(fileRequests[2].defaultExtension, "");
}
