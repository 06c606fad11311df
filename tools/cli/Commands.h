// The commands of vardel-cli. Each picture kind describes itself in a file of its
// own; Main.cpp dispatches.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/cli/Json.h"

namespace vardel {
class TGraphic;
class TBitmap;
}

namespace vardel::cli {

// Adds the kind's own fields to `out` and returns true when the graphic is of that kind.
bool DescribeBitmap(TGraphic& graphic, Json& out);
bool DescribeIcon(TGraphic& graphic, Json& out);
bool DescribeMetafile(TGraphic& graphic, Json& out);
bool DescribeGif(TGraphic& graphic, Json& out);
bool DescribeJpeg(TGraphic& graphic, Json& out);
bool DescribePng(TGraphic& graphic, Json& out);

// convert's output: PNG when `out` ends in .png (any case), otherwise BMP by our own
// writer.
void WriteConverted(const TBitmap& bitmap, const std::string& out);

// `frames IN DIR`: every frame's bitmap, as the GIF picture renders it, written as
// DIR/frame-N.bmp (N the frame's index from 0; frames without pixels write nothing).
// Returns how many files it wrote.
int GifFrames(const std::string& in, const std::string& dir);

// `run COMMAND IN OUT [--edit1 T] [--edit2 T] [--edit3 T]` with the arguments after
// "run": the menu command on the workbench's windows, offscreen. Returns the exit
// status (2 for bad usage); errors of the command are raised.
int RunCommand(const std::vector<std::string>& args);

// A picture with nothing to write: says so on standard error and gives the error status,
// so that no empty output is ever reported as written.
int NothingDecoded(const std::string& in);

// TIFF files go to the TIFF reader instead of the picture container: names ending in
// .tif or .tiff, in any case. Both print the reader's messages on standard error.
bool IsTiffName(const std::string& name);
int TiffInfo(const std::string& file);
int TiffConvert(const std::string& in, const std::string& out);

}  // namespace vardel::cli
