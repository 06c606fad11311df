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
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"
#include "platform/runtime/Exceptions.h"
#include "platform/ui/Dialogs.h"
#include "tools/cli/Commands.h"

using namespace vardel;
using namespace vardel::cli;

namespace {

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
    Json out;
    if (!DescribeBitmap(*graphic, out) && !DescribeIcon(*graphic, out) &&
        !DescribeMetafile(*graphic, out) && !DescribeGif(*graphic, out) &&
        !DescribeJpeg(*graphic, out))
        out.Add("kind", graphic->ClassName())
            .Add("width", graphic->Width())
            .Add("height", graphic->Height());
    std::printf("%s\n", out.Text().c_str());
    return 0;
}

// What the workbench would show, as a BMP file of our own writer.
int Convert(const std::string& in, const std::string& out) {
    if (IsTiffName(in)) return TiffConvert(in, out);
    TPicture picture;
    picture.LoadFile(in);
    TGraphic* graphic = picture.Graphic();
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) {
        bitmap->SaveFile(out);
        return 0;
    }
    TBitmap canvas;
    canvas.SetPixelLayout(TPixelLayout::Format32Bit);
    canvas.SetSize(graphic->Width(), graphic->Height());
    canvas.Surface().DrawGraphic(0, 0, graphic);
    canvas.SaveFile(out);
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
        if (command == "frames" && args.size() == 3) return GifFrames(args[1], args[2]);
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
