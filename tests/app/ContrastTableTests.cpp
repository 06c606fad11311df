#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "app/ContrastTable.h"
#include "platform/runtime/Exceptions.h"

using namespace vardel;

TEST(ContrastTable, TheDefaultsStretchTenToTwoHundredOntoTwentyToWhite) {
    const TContrastTable t = BuildContrastTable(10, 200, 20);
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(t[size_t(i)], 20) << i;
    EXPECT_EQ(t[11], 21);
    EXPECT_EQ(t[50], 69);
    EXPECT_EQ(t[100], 131);
    EXPECT_EQ(t[150], 193);
    EXPECT_EQ(t[199], 254);
    for (int i = 200; i <= 255; ++i) EXPECT_EQ(t[size_t(i)], 255) << i;
    // Exact halves go to the even neighbour.
    EXPECT_EQ(t[67], 90);    // 90.5
    EXPECT_EQ(t[143], 184);  // 184.5
    EXPECT_EQ(t[29], 44);    // 43.5
    EXPECT_EQ(t[105], 138);  // 137.5
    EXPECT_EQ(t[181], 232);  // 231.5
}

TEST(ContrastTable, IdentityReversedLimitsAndOddBases) {
    const TContrastTable identity = BuildContrastTable(0, 255, 0);
    for (int i = 0; i <= 255; ++i) EXPECT_EQ(identity[size_t(i)], i);
    const TContrastTable reversed = BuildContrastTable(150, 100, 20);
    for (int i = 0; i <= 255; ++i) EXPECT_EQ(reversed[size_t(i)], i < 100 ? 20 : 255) << i;
    EXPECT_EQ(BuildContrastTable(10, 200, 300)[0], 300);
    EXPECT_EQ(BuildContrastTable(10, 200, -10)[0], -10);
}

TEST(ContrastTable, LimitsOutsideTheTableSkipTheirIndicesAndKeepTheSlope) {
    // The slope 235 / 310 from −10 holds for every index inside.
    const TContrastTable wide = BuildContrastTable(-10, 300, 20);
    for (int i : {0, 1, 100, 255}) {
        const long double exact = 235.0L / 310.0L * (i + 10) + 20;
        EXPECT_LE(std::abs(wide[size_t(i)] - exact), 0.5L) << i;
    }
    const TContrastTable low =
        BuildContrastTable(-100, -50, 7);  // everything at or above the maximum
    for (int i = 0; i <= 255; ++i) EXPECT_EQ(low[size_t(i)], 255);
    const TContrastTable high =
        BuildContrastTable(300, 400, 7);  // everything at or below the minimum
    for (int i = 0; i <= 255; ++i) EXPECT_EQ(high[size_t(i)], 7);
    // The widest limits end at once and do not wrap.
    const TContrastTable extreme = BuildContrastTable(INT32_MIN, INT32_MAX, INT32_MIN);
    const long double extremeExact =
        (255.0L + 2147483648.0L) / 4294967295.0L * 2147483648.0L - 2147483648.0L;
    EXPECT_LE(std::abs(extreme[0] - extremeExact), 0.5L);
    EXPECT_EQ(extreme[255],
              static_cast<int32_t>(std::llround(
                  (255.0L + 2147483648.0L) / 4294967295.0L * 2147483903.0L - 2147483648.0L)));
    EXPECT_THROW(BuildContrastTable(300, 300, 0), EZeroDivide);
    EXPECT_THROW(BuildContrastTable(7, 7, 255), EInvalidOp);
}
