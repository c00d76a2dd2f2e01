#include "Convert.h"

namespace dm {

namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int v = -1;
    if (u >= '0' && u <= '9')
        v = u - '0';
    else if (u >= 'a' && u <= 'f')
        v = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        v = u - 'A' + 10;
    return v < base ? v : -1;
}

} // namespace

std::int32_t StrToIntDef(QStringView text, std::int32_t fallback)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';

    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0'
               && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return fallback; // no digits at all

    // Limits on the magnitude: decimal keeps the signed range, hexadecimal
    // a 32-bit pattern (see the header).
    const std::uint64_t limit = base == 16 ? (negative ? 0x80000000u : 0xFFFFFFFFu)
                                           : (negative ? 2147483648u : 2147483647u);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i], base);
        if (d < 0)
            return fallback;
        magnitude = magnitude * base + std::uint64_t(d);
        if (magnitude > limit)
            return fallback;
    }
    const std::uint32_t bits = std::uint32_t(magnitude);
    return std::int32_t(negative ? 0u - bits : bits);
}

} // namespace dm
