// vardel-cli: the workbench's picture code without a window.
//
//   vardel-cli info FILE
//   vardel-cli convert IN OUT
//   vardel-cli frames IN.gif DIR
//   vardel-cli save IN OUT
//   vardel-cli run COMMAND IN OUT [--edit1 T] [--edit2 T] [--edit3 T]
//
// Errors print the system's message on standard error and exit with 1; bad usage
// exits with 2.
#include <cstdio>
#include <string>
#include <vector>

#include "formats/Modules.h"
#include "formats/png/PngImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"
#include "platform/runtime/Exceptions.h"
#include "platform/ui/Dialogs.h"
#include "tools/cli/Commands.h"

using namespace vardel;
using namespace vardel::cli;

int vardel::cli::NothingDecoded(const std::string& in) {
    std::fprintf(stderr, "No image decoded from %s\n", in.c_str());
    return 1;
}

namespace {

bool HoldsNothing(TGraphic& graphic) {
    return graphic.IsEmpty() || graphic.Width() <= 0 || graphic.Height() <= 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: vardel-cli info FILE\n"
                 "       vardel-cli convert IN OUT\n"
                 "       vardel-cli frames IN.gif DIR\n"
                 "       vardel-cli save IN OUT\n"
                 "       vardel-cli run COMMAND IN OUT [--edit1 T] [--edit2 T] [--edit3 T]\n"
                 "\n"
                 "COMMAND is the caption of a menu command of the workbench:\n"
                 "  Abrir Imagen, Salvar Imagen, Salir,\n"
                 "  Toda Azul, Toda Roja, Toda Verde,\n"
                 "  Componente Azul, Componente Verde, Componente Roja,\n"
                 "  Umbral,\n"
                 "  Histograma Gris, Histograma Rojo, Histograma Verde, Histograma Azul,\n"
                 "  Borrar Histograma, Contraste, Cargar JPEG, Cargar GIF, Cargar Tiff,\n"
                 "  Convolucion, Convol2.\n"
                 "--edit1, --edit2, --edit3 are the texts of the dialog's fields (\"Umbral\":\n"
                 "the threshold; \"Contraste\": the least and greatest input brightness and the\n"
                 "least output brightness).\n");
    return 2;
}

int Info(const std::string& file) {
    if (IsTiffName(file)) return TiffInfo(file);
    TPicture picture;
    picture.LoadFile(file);
    TGraphic* graphic = picture.Graphic();
    // A file that holds no picture (an empty BMP or JPEG file, a GIF without frames)
    // fails, as a TIFF file of which no directory decoded does.
    if (HoldsNothing(*graphic)) return NothingDecoded(file);
    Json out;
    if (!DescribePng(*graphic, out) && !DescribeBitmap(*graphic, out) &&
        !DescribeIcon(*graphic, out) && !DescribeMetafile(*graphic, out) &&
        !DescribeGif(*graphic, out) && !DescribeJpeg(*graphic, out))
        out.Add("kind", graphic->ClassName())
            .Add("width", graphic->Width())
            .Add("height", graphic->Height());
    std::printf("%s\n", out.Text().c_str());
    return 0;
}

// What the workbench would show: the picture drawn on white, written as an
// uncompressed 32-bit BMP whatever the picture's own encoding (run-length, bit fields
// and 16-bit files are read differently or refused by other programs), or as PNG when
// OUT ends in .png. `save` keeps a picture's own encoding.
int Convert(const std::string& in, const std::string& out) {
    if (IsTiffName(in)) return TiffConvert(in, out);
    TPicture picture;
    picture.LoadFile(in);
    TGraphic* graphic = picture.Graphic();
    if (HoldsNothing(*graphic)) return NothingDecoded(in);
    TBitmap canvas;
    canvas.SetPixelLayout(TPixelLayout::Format32Bit);
    canvas.SetSize(graphic->Width(), graphic->Height());
    canvas.Surface().DrawGraphic(0, 0, graphic);
    WriteConverted(canvas, out);
    return 0;
}

int Save(const std::string& in, const std::string& out) {
    TPicture picture;
    picture.LoadFile(in);
    picture.SaveFile(out);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    SetApplicationTitle("vardel-cli");
    TPictureModules modules;
    try {
        const std::string& command = args[0];
        if (command == "info" && args.size() == 2) return Info(args[1]);
        if (command == "convert" && args.size() == 3) return Convert(args[1], args[2]);
        if (command == "frames" && args.size() == 3)
            return GifFrames(args[1], args[2]) ? 0 : NothingDecoded(args[1]);
        if (command == "save" && args.size() == 3) return Save(args[1], args[2]);
#ifdef VARDEL_CLI_RUN
        if (command == "run") {
            const int status = RunCommand(std::vector<std::string>(args.begin() + 1, args.end()));
            return status == 2 ? Usage() : status;
        }
#endif
        return Usage();
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
