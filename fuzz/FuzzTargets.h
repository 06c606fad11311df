// One entry per reader: feed it any bytes. Bad input may raise the reader's own
// exceptions (swallowed here); anything else (a crash, a sanitizer report, a hang)
// is a fault. The libFuzzer programs and the regression test both call these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vardel::fuzz {

void FuzzBmp(const uint8_t* data, size_t size);
void FuzzIcon(const uint8_t* data, size_t size);
void FuzzMetafile(const uint8_t* data, size_t size);
// Playback of Windows and enhanced metafiles onto true-colour and palette surfaces.
void FuzzMetafilePlay(const uint8_t* data, size_t size);
void FuzzJpeg(const uint8_t* data, size_t size);
// The TIFF reader opens files by name: the bytes go through a temporary file.
void FuzzTiff(const uint8_t* data, size_t size);
// GIF pictures: loaded, drawn (the first frame, then the animation played onto its
// composite, on a true-colour or a palette display) and saved; and loaded, saved
// and loaded again, which must keep every frame's indices.
void FuzzGif(const uint8_t* data, size_t size);
void FuzzGifRoundTrip(const uint8_t* data, size_t size);
// PNG pictures: loaded, drawn, edited and saved; what was saved must load again with
// the same pixels.
void FuzzPng(const uint8_t* data, size_t size);

}  // namespace vardel::fuzz
