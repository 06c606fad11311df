// The commands of vardel-cli. Each picture kind describes itself in a file of its
// own; Main.cpp dispatches.
#pragma once

#include <memory>
#include <string>

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

}  // namespace vardel::cli
