#include "platform/runtime/FloatMath.h"

#include <cfenv>
#include <cmath>

#include "platform/runtime/Exceptions.h"

namespace vardel {

Extended Divide(Extended a, Extended b) {
    if (b == 0) {
        if (a == 0 || std::isnan(a)) throw EInvalidOp(msg::kInvalidOp);
        throw EZeroDivide(msg::kZeroDivide);
    }
    return a / b;
}

int64_t RoundHalfEven(Extended value) {
    if (!std::isfinite(value) || value >= 9223372036854775808.0L ||
        value < -9223372036854775808.0L)
        throw EInvalidOp(msg::kInvalidOp);
    // nearbyintl follows the current rounding mode, which is to-nearest-even unless
    // someone changed it; set it for the call so that the rule never depends on that.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const Extended r = std::nearbyintl(value);
    std::fesetround(saved);
    return static_cast<int64_t>(r);
}

}  // namespace vardel
