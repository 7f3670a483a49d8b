// Hexadecimal digit conversions shared by the file formats and the PDA texts.
#pragma once

#include <cstdint>

namespace quillon {

// The value of a hexadecimal digit character ('0'-'9', 'a'-'f', 'A'-'F'), or -1 for any other.
int hexDigitValue(char c);

// The character of a value 0 to 15, in upper or lower case. Values above 15 use their low 4 bits.
char hexDigitChar(unsigned value, bool upperCase);

}  // namespace quillon
