#include "fuzz/FuzzTargets.h"

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "platform/runtime/Exceptions.h"

namespace vardel::fuzz {

namespace {
// Pictures up to the size limit are legitimate, but copying and saving the largest of
// them several times over only measures memory; past this they are loaded and drawn.
constexpr int64_t kExerciseLimit = int64_t{16} << 20;

bool Large(const TGraphic& graphic) {
    return int64_t{graphic.Width()} * graphic.Height() > kExerciseLimit;
}

// Loads, draws and saves a graphic the way the workbench would.
void Exercise(TGraphic& graphic, const uint8_t* data, size_t size) {
    try {
        TReadOnlyMemoryStream in(data, size);
        graphic.LoadStream(in);
        if (graphic.IsEmpty()) return;
        TBitmap target;
        target.SetSize(16, 16);
        target.Surface().DrawGraphic(0, 0, &graphic);
        target.Surface().DrawGraphicStretched({0, 0, 7, 5}, &graphic);
        if (Large(graphic)) return;
        TMemoryStream out;
        graphic.SaveStream(out);
    } catch (const Exception&) {
    }
}
}  // namespace

void FuzzBmp(const uint8_t* data, size_t size) {
    TBitmap bitmap;
    Exercise(bitmap, data, size);
    try {
        if (bitmap.IsEmpty() || Large(bitmap)) return;
        // Edits drop kept run-length bytes and copy shared images.
        TBitmap copy;
        copy.Assign(&bitmap);
        copy.Surface().WritePixel(0, 0, clRed);
        copy.Surface().ReadPixel(copy.Width() - 1, copy.Height() - 1);
        TMemoryStream out;
        copy.SaveStream(out);
        if (copy.Height() > 0) copy.ScanRow(copy.Height() - 1);
        bitmap.SetTransparent(true);
        TBitmap target;
        target.SetSize(8, 8);
        target.Surface().DrawGraphic(0, 0, &bitmap);
    } catch (const Exception&) {
    }
}

void FuzzIcon(const uint8_t* data, size_t size) {
    TIcon icon;
    Exercise(icon, data, size);
}

void FuzzMetafile(const uint8_t* data, size_t size) {
    TMetafile metafile;
    Exercise(metafile, data, size);
}

}  // namespace vardel::fuzz
