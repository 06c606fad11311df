// Where the histogram window plots: value i of a channel in column 51 + i, counts
// upward from the axis row 400, the vertical axis in column 50.
#pragma once

namespace vardel {

inline constexpr int kPlotOriginX = 50;
inline constexpr int kPlotOriginY = 400;
inline constexpr int kPlotFirstColumn = kPlotOriginX + 1;       // value 0
inline constexpr int kPlotLastColumn = kPlotFirstColumn + 255;  // value 255
inline constexpr int kVerticalAxisLength = 280;                 // rows 400 up to 120
inline constexpr int kHorizontalAxisLength = 300;               // columns 50 to 350
inline constexpr int kCountsPerPixel = 10;

}  // namespace vardel
