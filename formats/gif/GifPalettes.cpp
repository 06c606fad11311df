// The palettes that frames are rendered and drawn with: a frame's own, the image's,
// and the 216-colour palette on palette displays.
#include "formats/gif/GifDither.h"
#include "formats/gif/GifException.h"
#include "formats/gif/GifImage.h"
#include "formats/gif/GifModule.h"

namespace vardel {

namespace {

// One entry per map entry; none for an empty map.
gdi::HPALETTE PaletteFromMap(const TGIFColorMap& map) {
    if (map.Count() == 0) return nullptr;
    gdi::LOGPALETTE palette;
    for (const TGIFColor& c : map.Entries())
        palette.palPalEntry.push_back({c.red, c.green, c.blue, gdi::PC_NOCOLLAPSE});
    return gdi::CreatePalette(palette);
}

}  // namespace

bool TGIFImage::DitherFrames() const {
    const TGIFPaintOptions options = PaintOptions;
    return (options & poDither) && (!(options & poAutoDither) || PaletteDisplay);
}

gdi::HPALETTE TGIFImage::FramePalette(TGIFSubImage& frame) {
    std::lock_guard lock(renderMutex_);
    return FramePaletteLocked(frame);
}

gdi::HPALETTE TGIFImage::FramePaletteLocked(TGIFSubImage& frame) {
    if (frame.frameBitmap_)
        if (gdi::HPALETTE palette = frame.frameBitmap_->Palette()) return palette;
    if (frame.framePalette_) return frame.framePalette_;
    if (DitherFrames()) return frame.framePalette_ = MakeNetscapePalette();
    if (frame.LocalColorMap().Count() == 0) return ImagePaletteLocked();
    return frame.framePalette_ = PaletteFromMap(frame.LocalColorMap());
}

gdi::HPALETTE TGIFImage::ImagePalette() {
    std::lock_guard lock(renderMutex_);
    return ImagePaletteLocked();
}

gdi::HPALETTE TGIFImage::ImagePaletteLocked() {
    // Without any map the first frame asks the image again, which ends here.
    if (inPaletteQuery_) throw GIFException(gifmsg::kNoColorTable);
    inPaletteQuery_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{inPaletteQuery_};
    if (compositePalette_) return compositePalette_;
    if (cachedPalette_) return cachedPalette_;
    if (DitherFrames()) return cachedPalette_ = MakeNetscapePalette();
    if (header_.GlobalColorMap().Count() == 0)
        return frames_.Empty() ? nullptr : FramePaletteLocked(frames_[0]);
    return cachedPalette_ = PaletteFromMap(header_.GlobalColorMap());
}

void TGIFImage::SetPalette(const gdi::HPALETTE& palette) {
    {
        std::lock_guard lock(renderMutex_);
        if (palette != cachedPalette_) cachedPalette_ = palette;
    }
    if (composite_ && compositePalette_ != palette) {
        DropComposite();
        SetPaletteDirty(true);
        NotifyChanged(this);
    }
}

}  // namespace vardel
