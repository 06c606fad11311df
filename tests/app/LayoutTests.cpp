#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

#include <tuple>

#include "app/Unit4.h"
#include "app/Unit6.h"
#include "app/Unit9.h"
#include "platform/ui/qt/Form.h"
#include "tests/app/WorkbenchFixture.h"

using namespace vardel;
using namespace vardel::test;

namespace {
constexpr int kFrameWidth = 2 * kFrameBorder;

// Left, top, width and height.
using Bounds = std::tuple<int, int, int, int>;
template <class T>
Bounds BoundsOf(const T& c) {
    return {c.Left(), c.Top(), c.Width(), c.Height()};
}

std::vector<std::string> Captions(TMenuItem& item) {
    std::vector<std::string> captions;
    for (int i = 0; i < item.Count(); ++i) captions.push_back(item.Item(i).Caption());
    return captions;
}
}  // namespace

TEST_F(WorkbenchTest, TheNineWindowsAreMadeHiddenInTheirOrderWithTheirLayouts) {
    ASSERT_TRUE(Form1 && Form2 && Form3 && Form4 && ParContraste && Form6 && Form7 && Form8 &&
                Form9);
    EXPECT_EQ(Application().MainForm(), Form1);
    const std::vector<std::pair<TForm*, std::string>> captions = {
        {Form1, "Procesamiento de Imágenes"},
        {Form2, "Form2"},
        {Form3, "Form3"},
        {Form4, "Form4"},
        {ParContraste, "Parámetros del contraste"},
        {Form6, "Form6"},
        {Form7, "Form7"},
        {Form8, "Form8"},
        {Form9, "Form9"}};
    for (const auto& [form, caption] : captions) {
        EXPECT_EQ(form->Caption(), caption);
        EXPECT_EQ(form->Widget()->windowTitle().toStdString(), caption);
        EXPECT_FALSE(form->Showing()) << caption;
        EXPECT_EQ(form->Widget()->font().pixelSize(), 11) << caption;
    }
    // Outer positions and sizes; the main window and Form7 follow their views.
    EXPECT_EQ(Form1->Left(), 290);
    EXPECT_EQ(Form1->Top(), 173);
    EXPECT_EQ(Form1->Width(), 721 + kFrameWidth);
    EXPECT_EQ(ClientSizeOf(*Form1), Size(721, 321));
    EXPECT_EQ(Form1->ClientWidget()->size(), QSize(721, 321));
    EXPECT_EQ(BoundsOf(*Form2), (Bounds{431, 267, 314, 194}));
    EXPECT_EQ(SizeOf(*Form3), Size(539, 517));
    EXPECT_EQ(Form4->Width(), 870);
    EXPECT_EQ(ParContraste->Left(), 279);
    EXPECT_EQ(ParContraste->Height(), 505);
    EXPECT_EQ(Form6->Width(), 696);
    EXPECT_EQ(ClientSizeOf(*Form7), Size(801, 433));
    EXPECT_EQ(SizeOf(*Form8), Size(635, 407));
    EXPECT_EQ(Form9->Width(), 870);

    TImage& image1 = *Form1->Image1;
    EXPECT_EQ(BoundsOf(image1), (Bounds{0, 0, 721, 321}));
    EXPECT_TRUE(image1.AutoSize() && image1.Stretch() && !image1.Proportional());
    EXPECT_EQ(image1.Picture().Graphic(), nullptr);
    EXPECT_EQ(BoundsOf(*Form3->Image2), (Bounds{16, 8, 505, 465}));
    EXPECT_TRUE(!Form3->Image2->AutoSize() && !Form3->Image2->Stretch());
    EXPECT_EQ(BoundsOf(*Form7->Image7), (Bounds{0, 0, 801, 433}));
    EXPECT_TRUE(Form7->Image7->AutoSize() && Form7->Image7->Proportional() &&
                !Form7->Image7->Stretch());
    EXPECT_EQ(BoundsOf(*Form8->Image2), (Bounds{24, 16, 577, 345}));
    EXPECT_TRUE(Form8->Image2->Stretch() && !Form8->Image2->AutoSize());
    EXPECT_EQ(BoundsOf(*Form9->Image3), (Bounds{8, 16, 841, 433}));
    EXPECT_TRUE(Form9->Image3->Stretch());

    // Form2
    EXPECT_EQ(Form2->Label1->Caption(), "Valor de umbral");
    EXPECT_EQ(Form2->Label1->Left(), 40);
    EXPECT_EQ(Form2->Label1->Top(), 56);
    EXPECT_GE(Form2->Label1->Width(), 111);
    EXPECT_EQ(Form2->Label1->Widget()->font().pixelSize(), 16);
    EXPECT_EQ(BoundsOf(*Form2->Edit1), (Bounds{176, 56, 57, 21}));
    EXPECT_EQ(Form2->Edit1->Text(), "50");
    EXPECT_EQ(BoundsOf(*Form2->Button1), (Bounds{120, 112, 75, 25}));
    EXPECT_EQ(Form2->Button1->Caption(), "Aceptar");
    EXPECT_EQ(Form2->TabOrderControls(),
              (std::vector<TWinControl*>{Form2->Edit1.get(), Form2->Button1.get()}));
    // Labels never run into the edit fields beside them.
    EXPECT_LE(Form2->Label1->Left() + Form2->Label1->Width(), Form2->Edit1->Left());

    // ParContraste
    TParContraste& p = *ParContraste;
    EXPECT_EQ(p.Label1->Caption(), "Brillo mínimo de entrada");
    EXPECT_EQ(p.Label2->Caption(), "Brillo máximo de entrada");
    EXPECT_EQ(p.Label3->Caption(), "Brillo mínimo de  salida");
    for (TLabel* label : {p.Label1.get(), p.Label2.get(), p.Label3.get()}) {
        EXPECT_EQ(label->Widget()->font().pixelSize(), 24);
        EXPECT_LE(label->Left() + label->Width(), p.Edit1->Left());
    }
    EXPECT_EQ(BoundsOf(*p.Edit1), (Bounds{352, 88, 97, 21}));
    EXPECT_EQ(BoundsOf(*p.Edit2), (Bounds{352, 136, 137, 37}));
    EXPECT_EQ(BoundsOf(*p.Edit3), (Bounds{352, 224, 137, 45}));
    EXPECT_EQ(BoundsOf(*p.Button1), (Bounds{184, 344, 185, 65}));
    EXPECT_EQ(p.Edit1->Text(), "10");
    EXPECT_EQ(p.Edit2->Text(), "200");
    EXPECT_EQ(p.Edit3->Text(), "20");
    EXPECT_EQ(p.Edit1->Widget()->font().pixelSize(), 11);
    EXPECT_EQ(p.Edit2->Widget()->font().pixelSize(), 24);
    EXPECT_EQ(p.Edit2->Widget()->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(p.Edit3->Widget()->font().pixelSize(), 32);
    EXPECT_EQ(p.TabOrderControls(), (std::vector<TWinControl*>{p.Edit1.get(), p.Edit2.get(),
                                                               p.Edit3.get(), p.Button1.get()}));
}

TEST_F(WorkbenchTest, TheMenusTheirHandlersAndTheDialogs) {
    TMenuItem& bar = Form1->MainMenu1->Items();
    EXPECT_EQ(Captions(bar), (std::vector<std::string>{
                                 "Archivos", "Procesamiento", "Escala de Grises", "Umbral",
                                 "Histogramas", "Borrar Histograma", "Contraste", "Cargar JPEG",
                                 "Cargar GIF", "Cargar Tiff", "Convolucion", "Convol2"}));
    EXPECT_EQ(Captions(*Form1->AbrirImagen1),
              (std::vector<std::string>{"Abrir Imagen", "Salvar Imagen", "Salir"}));
    EXPECT_EQ(Captions(*Form1->Procesamiento1),
              (std::vector<std::string>{"Toda Azul", "Toda Roja", "Toda Verde"}));
    EXPECT_EQ(Captions(*Form1->EscaladeGrises2),
              (std::vector<std::string>{"Componente Azul", "Componente Verde", "Componente Roja"}));
    EXPECT_EQ(Captions(*Form1->Histogramas1),
              (std::vector<std::string>{"Histograma Gris", "Histograma Rojo", "Histograma Verde",
                                        "Histograma Azul"}));
    // The odd component names stay as they are.
    EXPECT_EQ(Form1->SalvarImagen1->Caption(), "Abrir Imagen");
    EXPECT_EQ(Form1->EscaladeGrises1->Caption(), "Toda Azul");
    for (int i = 0; i < bar.Count(); ++i) {
        EXPECT_TRUE(bar.Item(i).Enabled());
        for (int j = 0; j < bar.Item(i).Count(); ++j) EXPECT_TRUE(bar.Item(i).Item(j).OnClick);
        if (bar.Item(i).Count() == 0) {
            EXPECT_TRUE(bar.Item(i).OnClick) << bar.Item(i).Caption();
        }
    }
    EXPECT_EQ(Captions(Form1->PopupMenu1->Items()),
              (std::vector<std::string>{"Habilitar borrado", "Deshabilitar borrado"}));
    EXPECT_TRUE(Form1->Habilitarborrado1->Enabled());
    EXPECT_FALSE(Form1->Deshabilitarborrado1->Enabled());

    EXPECT_EQ(Form1->OpenDialog1->Filter(), "Mapa de bits (*.bmp)|*.bmp|jpeg (*.jpg)|*.jpg");
    EXPECT_EQ(Form1->OpenDialog1->FilterIndex(), 1);
    EXPECT_EQ(Form1->OpenDialog1->DefaultExt(), "bmp");
    EXPECT_EQ(Form1->SaveDialog1->Filter(), "");
    EXPECT_EQ(Form1->SaveDialog1->DefaultExt(), "");
    EXPECT_EQ(Form1->OpenDialog2->Filter(), "");
    EXPECT_EQ(Form1->OpenDialog2->DefaultExt(), "");
}

TEST_F(WorkbenchTest, AtStartOnlyTheMainWindowShowsAndARightClickOpensTheEraseMenu) {
    Form1->Present();
    std::vector<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) shown.push_back(w);
    EXPECT_EQ(shown, std::vector<QWidget*>{Form1->Widget()});

    QWidget* client = Form1->ClientWidget();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(100, 80),
                            client->mapToGlobal(QPoint(100, 80)));
    QApplication::sendEvent(client, &click);
    QMenu* popup = Form1->PopupMenu1->Menu();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    ASSERT_EQ(popup->actions().size(), 2);
    EXPECT_EQ(popup->actions()[0]->text(), QString("Habilitar borrado"));
    EXPECT_TRUE(popup->actions()[0]->isEnabled());
    EXPECT_FALSE(popup->actions()[1]->isEnabled());
    // Choosing the enabled item swaps the two.
    popup->actions()[0]->trigger();
    popup->hide();
    EXPECT_FALSE(Form1->Habilitarborrado1->Enabled());
    EXPECT_TRUE(Form1->Deshabilitarborrado1->Enabled());
}

TEST_F(WorkbenchTest, SalirAndTheTitleBarButtonEndTheProgram) {
    Form1->Present();
    Form1->Salir1->Click();
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(Form1->Showing());
}

TEST_F(WorkbenchTest, ClosingTheMainWindowWithOtherWindowsOpenEndsTheProgram) {
    Form1->Present();
    PutPicture(*Form1->Image1, 4, 4, [](int, int) { return Rgb(1, 2, 3); });
    Form1->HistogramaGris1->Click();
    Form1->Convol21->Click();
    EXPECT_TRUE(Form3->Showing() && Form8->Showing());
    Form1->Widget()->close();
    EXPECT_TRUE(Application().Terminated());
}

TEST_F(WorkbenchTest, WhatAWindowCanvasDrawsShowsAndReadsBackUntilTheNextFullRepaint) {
    PutPicture(*Form1->Image1, 50, 40, [](int, int) { return Rgb(0, 255, 0); });
    Form1->Present();
    auto shown = [] {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        return Form1->ClientWidget()->grab().toImage().pixelColor(5, 5);
    };
    EXPECT_EQ(shown(), QColor(0, 255, 0));
    TWindowCanvas canvas(Form1);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) canvas.WritePixel(x, y, Rgb(255, 0, 0));
    EXPECT_EQ(canvas.ReadPixel(5, 5), Rgb(255, 0, 0));
    EXPECT_EQ(shown(), QColor(255, 0, 0));
    // The picture itself never changed; a full repaint shows it again.
    EXPECT_EQ(PixelOf(*Form1->Image1, 5, 5), Rgb(0, 255, 0));
    Form1->InvalidateRect({0, 0, Form1->ClientWidth(), Form1->ClientHeight()});
    EXPECT_EQ(shown(), QColor(0, 255, 0));
    canvas.FreeContext();
}
