// Conversions of the texts that users type into edit fields.
#pragma once

#include <cstdint>
#include <string_view>

namespace vardel {

// Optional leading blanks, then an optional sign and decimal digits, or (without a
// sign) hexadecimal digits after "$", "x" or "0x". The value must fit in 32 signed
// bits. Anything else raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);

}  // namespace vardel
