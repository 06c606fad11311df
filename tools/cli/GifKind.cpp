// info fields of a GIF picture, and its frames' bitmaps.
#include <filesystem>

#include "formats/gif/GifImage.h"
#include "tools/cli/Commands.h"

namespace vardel::cli {

bool DescribeGif(TGraphic& graphic, Json& out) {
    auto* gif = dynamic_cast<TGIFImage*>(&graphic);
    if (!gif) return false;
    out.Add("kind", "gif").Add("width", gif->Width()).Add("height", gif->Height());
    const TGIFVersion version = gif->Version();
    out.Add("version", version == TGIFVersion::gv87a   ? "87a"
                       : version == TGIFVersion::gv89a ? "89a"
                                                       : "none");
    std::vector<Json> frames;
    // The loop count of the first loop block in file order; -1 when there is none
    // (the animation then plays once).
    int loop = -1;
    for (const auto& frame : gif->Frames().Items()) {
        const TGIFGraphicControlExtension* control = frame->GraphicControl();
        Json item;
        item.Add("left", int{frame->Left}).Add("top", int{frame->Top});
        item.Add("width", int{frame->Width}).Add("height", int{frame->Height});
        item.Add("interlaced", frame->Interlaced()).Add("transparent", frame->IsTransparent);
        item.Add("delay", control ? int{control->Delay} : 0);
        item.Add("disposal", control ? control->Disposal() : 0);
        frames.push_back(std::move(item));
        for (const auto& extension : frame->Extensions().Items()) {
            auto* block = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get());
            if (block && loop < 0) loop = block->LoopCount;
        }
    }
    out.Add("frames", frames).Add("loop", loop);
    return true;
}

int GifFrames(const std::string& in, const std::string& dir) {
    TGIFImage gif;
    gif.LoadFile(in);
    std::filesystem::create_directories(dir);
    int written = 0;
    for (int i = 0; i < gif.Frames().Count(); ++i)
        if (TBitmap* bitmap = gif.GetFrameBitmap(gif.Frames()[i])) {
            bitmap->SaveFile(
                (std::filesystem::path(dir) / ("frame-" + std::to_string(i) + ".bmp")).string());
            ++written;
        }
    return written;
}

}  // namespace vardel::cli
