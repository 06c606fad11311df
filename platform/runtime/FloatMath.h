// Floating point with a 64-bit significand, as the commands compute their tables.
#pragma once

#include <cstdint>

namespace vardel {

using Extended = long double;
static_assert(sizeof(Extended) >= 10, "Extended needs the 64-bit significand of x87");

// a / b; b = 0 raises EZeroDivide "Floating point division by zero", or EInvalidOp
// "Invalid floating point operation" when a is 0 as well.
Extended Divide(Extended a, Extended b);
// Nearest integer, halves to the even neighbour. A value outside the 64-bit range
// raises EInvalidOp.
int64_t RoundHalfEven(Extended value);

}  // namespace vardel
