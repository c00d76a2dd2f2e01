#include "Cp1251.h"

#include <QChar>

namespace dm::cp1251 {
namespace {

// Upper half of the code page; the lower half is ASCII.
constexpr char16_t kHigh[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Which of the four pages holds c, or -1.
constexpr int pageOf(char16_t c)
{
    switch (c >> 8) {
    case 0x00: return 0;
    case 0x04: return 1;
    case 0x20: return 2;
    case 0x21: return 3;
    default: return -1;
    }
}

struct Tables {
    std::array<unsigned char, 256> lower{};
    std::array<bool, 256> alnum{};
    Tables()
    {
        for (int b = 0; b < 256; ++b) {
            const QChar c(toUnicode(static_cast<unsigned char>(b)));
            const int l = fromUnicode(c.toLower().unicode());
            lower[b] = static_cast<unsigned char>(l < 0 ? b : l);
            alnum[b] = c.isLetterOrNumber();
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

char16_t toUnicode(unsigned char b)
{
    return b < 0x80 ? char16_t(b) : kHigh[b - 0x80];
}

int fromUnicode(char16_t c)
{
    if (c < 0x80)
        return c;
    // The upper half's characters lie on four pages of 256 characters
    // (Latin-1, Cyrillic, punctuation, letter-like symbols): one lookup each.
    static const auto pages = [] {
        std::array<std::array<unsigned char, 256>, 4> table{}; // 0: not in the code page
        for (int i = 0; i < 128; ++i)
            table[pageOf(kHigh[i])][kHigh[i] & 0xFF] = static_cast<unsigned char>(0x80 + i);
        return table;
    }();
    const int page = pageOf(c);
    const unsigned char b = page < 0 ? 0 : pages[page][c & 0xFF];
    return b ? b : -1;
}

QString decode(QByteArrayView bytes)
{
    QString s(bytes.size(), Qt::Uninitialized);
    QChar *out = s.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(toUnicode(static_cast<unsigned char>(bytes[i])));
    return s;
}

QByteArray encode(QStringView text, bool *lossless)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    bool ok = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = fromUnicode(text[i].unicode());
        if (b < 0)
            ok = false;
        out[i] = static_cast<char>(b < 0 ? '?' : b);
    }
    if (lossless)
        *lossless = ok;
    return out;
}

const std::array<unsigned char, 256> &lowerCaseTable()
{
    return tables().lower;
}

bool isAlphaNumeric(unsigned char b)
{
    return tables().alnum[b];
}

} // namespace dm::cp1251
