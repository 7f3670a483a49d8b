#include "base/hex_digits.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(HexDigits, ValueOfEveryCharacter) {
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        int expected = -1;
        if (c >= '0' && c <= '9')
            expected = c - '0';
        if (c >= 'a' && c <= 'f')
            expected = c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            expected = c - 'A' + 10;
        EXPECT_EQ(hexDigitValue(ch), expected) << c;
    }
}

TEST(HexDigits, CharacterOfEveryValue) {
    for (unsigned v = 0; v < 16; ++v) {
        EXPECT_EQ(hexDigitValue(hexDigitChar(v, true)), static_cast<int>(v));
        EXPECT_EQ(hexDigitValue(hexDigitChar(v, false)), static_cast<int>(v));
    }
    EXPECT_EQ(hexDigitChar(11, true), 'B');
    EXPECT_EQ(hexDigitChar(11, false), 'b');
}

}  // namespace
}  // namespace quillon
