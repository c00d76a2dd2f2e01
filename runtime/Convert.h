#pragma once
// Text to 32-bit integer under the program's usual rules, used for values a
// person or another program may have edited, so every malformed text has a
// defined answer.

#include <QStringView>
#include <cstdint>

namespace dm {

// Converts `text` to a signed 32-bit integer, or returns `fallback` when the
// text does not convert. Accepted: leading blanks (spaces), an optional "+" or
// "-", then either decimal digits, or hexadecimal digits after "$", "0x" or
// "0X". Anything else (an empty text, no digits, trailing characters including
// blanks, decimal values outside -2147483648..2147483647) gives `fallback`.
//
// Hexadecimal digits spell a 32-bit pattern, so "$FFFFFFFF" is -1 and
// "$80000000" is -2147483648, as counters shown unsigned are written by hand;
// a minus sign negates the magnitude, which may then reach $80000000 at most
// ("-$10" is -16, "-$80000001" gives `fallback`). Patterns above $FFFFFFFF
// give `fallback`; leading zeros never count towards the size.
std::int32_t StrToIntDef(QStringView text, std::int32_t fallback);

} // namespace dm
