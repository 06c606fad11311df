// The three commands that load a picture from a fixed path without a dialog. The
// paths name drive C, which the files layer maps to the user's drive folder.
#include <memory>

#include "app/Dorsk.h"
#include "app/Unit7.h"
#include "formats/gif/GifImage.h"
#include "formats/jpeg/Jpeg.h"
#include "formats/tiff/ReadTiff.h"
#include "graphics/Bitmap.h"

namespace vardel {

namespace {
constexpr const char* kJpegPath = "C:\\1.jpg";
constexpr const char* kGifPath = "C:\\DIDOR_AZE.gif";
constexpr const char* kTiffPath = "C:\\saturn.tif";
}  // namespace

// Draws the JPEG on the main window itself and keeps only its red channel there. The
// picture is not kept: the next repaint of the window shows Image1 again.
void TForm1::CargarJPEG1Click(TObject*) {
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFile(kJpegPath);
    TWindowCanvas canvas(this);
    canvas.DrawGraphic(0, 0, jpeg.get());
    const int width = jpeg->Width();
    const int height = jpeg->Height();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const TColor red = canvas.ReadPixel(x, y) & 0xFF;
            canvas.WritePixel(x, y, red);
        }
}

// Draws the GIF over what Image7 holds (a white bitmap of the view's size the first
// time). The GIF picture serves only this drawing: it goes when the command ends, and
// with it the painter that a multi-frame GIF starts, which would otherwise animate a
// picture nobody shows for the rest of the run.
void TForm1::CargarGIF1Click(TObject*) {
    {
        auto gif = std::make_unique<TGIFImage>();
        gif->LoadFile(kGifPath);
        Form7->Image7->Surface().DrawGraphic(0, 0, gif.get());
    }
    Form7->Present();
    Form7->RepaintNow();
}

// The TIFF reader tells of a bad file in its own dialogs and returns; Form7 then shows
// whatever the bitmap holds.
void TForm1::CargarTiff1Click(TObject*) {
    ReadTiffFile(kTiffPath, *Form7->Image7->Picture().AsBitmap());
    Form7->Present();
    Form7->RepaintNow();
}

}  // namespace vardel
