#include "base/hex_digits.h"

namespace quillon {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

char hexDigitChar(unsigned value, bool upperCase) {
    static constexpr char kUpper[] = "0123456789ABCDEF";
    static constexpr char kLower[] = "0123456789abcdef";
    return upperCase ? kUpper[value & 0xF] : kLower[value & 0xF];
}

}  // namespace quillon
