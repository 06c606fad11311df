// ReadTiff: decodes the uncompressed images of a TIFF file (bilevel, 4- and 8-bit
// grey, palette and 24-bit RGB, stored in strips) into a bitmap.
//
// What is wrong with the file's content is told in the message dialog and the load goes
// on with the next directory or stops; only a range error (an image wider or higher
// than 65535, more than 256 directories) and running out of memory reach the caller as
// exceptions. A name of no existing file gets an empty TIFF file and decodes nothing.
#pragma once

#include <string>

#include "formats/tiff/ReadTiffTags.h"
#include "graphics/Bitmap.h"

namespace vardel {

// Decodes every directory of the file in turn into `target`, which ends up with the
// last one that decoded.
void ReadTiffFile(const std::string& fileName, TBitmap& target);

// The readers of the four kinds, each for one directory of the file.
void ReadBilevelImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target);
void ReadGrayImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target);
void ReadPaletteImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target);
void ReadRgbImage(const std::string& fileName, const TGraphicTiff& directory, TBitmap& target);

}  // namespace vardel
