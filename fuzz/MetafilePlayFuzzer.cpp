// Metafile playback straight through the graphics layer: the bytes are played as an
// enhanced metafile when they start like one, otherwise as a Windows metafile, onto a
// true-colour and a palette surface, stretched and mirrored.
#include "fuzz/FuzzTargets.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/ByteOrder.h"

namespace vardel::fuzz {

namespace {
void PlayOnto(const gdi::HENHMETAFILE& metafile, int bits, const gdi::RECT& dest) {
    gdi::BITMAPINFO info;
    info.bmiHeader.biWidth = 48;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biBitCount = static_cast<uint16_t>(bits);
    for (int i = 0; bits <= 8 && i < (1 << bits); ++i)
        info.bmiColors.push_back({static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 91),
                                  static_cast<uint8_t>(i * 13), 0});
    gdi::HBITMAP bitmap = gdi::CreateDIBSection(nullptr, info, gdi::DIB_RGB_COLORS, nullptr);
    gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
    gdi::SelectObject(dc, bitmap);
    if (gdi::IsWinMetaFile(metafile))
        gdi::PlayWinMetaFile(dc, metafile, {0, 0, 1000, 800}, dest);
    else
        gdi::PlayEnhMetaFile(dc, metafile, dest);
    gdi::DeleteDC(dc);
}
}  // namespace

void FuzzMetafilePlay(const uint8_t* data, size_t size) {
    const bool enhanced = size >= 44 && LoadLe32(data) == 1 && LoadLe32(data + 40) == 0x464D4520;
    const gdi::HENHMETAFILE metafile =
        enhanced ? gdi::SetEnhMetaFileBits(data, size) : gdi::SetWinMetaFileBits(data, size);
    if (!metafile) return;
    PlayOnto(metafile, 32, {0, 0, 48, 32});
    PlayOnto(metafile, 8, {40, 30, -8, 2});
}

}  // namespace vardel::fuzz
