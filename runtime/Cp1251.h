#pragma once
// Code page 1251 (Cyrillic): the 8-bit encoding of the list file's
// strings and of the content scan's case and word tables. The codec is a plain
// table and lossless for all 256 bytes: the one byte the code page leaves
// undefined (0x98) maps to U+0098, so bytes read from a file survive a
// decode/encode round trip unchanged.

#include <QByteArray>
#include <QString>
#include <array>

namespace dm::cp1251 {

// The Unicode character of byte b.
char16_t toUnicode(unsigned char b);

// The byte of character c, or -1 when the code page has no such character.
int fromUnicode(char16_t c);

QString decode(QByteArrayView bytes);

// Characters the code page cannot hold become '?'; *lossless (when given) tells
// whether that happened.
QByteArray encode(QStringView text, bool *lossless = nullptr);

// Lower-case form of every byte by the Unicode case mapping of its character;
// bytes without a lower-case form in the code page map to themselves.
const std::array<unsigned char, 256> &lowerCaseTable();

// True for bytes whose character is a letter or a digit.
bool isAlphaNumeric(unsigned char b);

} // namespace dm::cp1251
