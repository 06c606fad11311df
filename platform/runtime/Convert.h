// Conversions of the texts that users type into edit fields.
#pragma once

#include <cstdint>
#include <string_view>

namespace vardel {

// Optional leading blanks, then an optional sign and decimal digits, or (without a
// sign) hexadecimal digits after "$", "x" or "0x". A decimal value must fit in 32
// signed bits; a hexadecimal one is a 32-bit pattern of at most eight significant
// digits ("$FFFFFFFF" is -1). Anything else raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);

}  // namespace vardel
