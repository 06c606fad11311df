#include "platform/runtime/Convert.h"

#include <cstdint>

#include "platform/runtime/Exceptions.h"

namespace vardel {

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

int32_t StrToInt(std::string_view text) {
    auto fail = [&] { return EConvertError(Format(msg::kInvalidInteger, {text})); };
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;

    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        i += 1;
    } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }

    bool negative = false;
    if (!hex && i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) throw fail();

    if (hex) {
        // A hexadecimal text is a 32-bit pattern: "$FFFFFFFF" is -1. Leading zeros are
        // free; a ninth significant digit fails.
        uint64_t pattern = 0;
        for (; i < text.size(); ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0) throw fail();
            pattern = pattern * 16 + static_cast<unsigned>(d);
            if (pattern > UINT32_MAX) throw fail();
        }
        return static_cast<int32_t>(static_cast<uint32_t>(pattern));
    }
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : INT32_MAX;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') throw fail();
        value = value * 10 + (text[i] - '0');
        if (value > limit) throw fail();
    }
    return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace vardel
