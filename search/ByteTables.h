#pragma once
// The byte tables of the content scan, in code page 1251: built once on first
// use (before any criteria object reads them) and only read afterwards, so
// every thread may share them.

#include <array>
#include <bitset>

namespace dm {

using TByteTable = std::array<unsigned char, 256>;

// Entry b = b.
const TByteTable &IdentityTable();

// Entry b = the lower-case form of byte b in code page 1251; bytes without one
// (digits, punctuation, control bytes, 0) map to themselves.
const TByteTable &LowerCaseTable();

// Bit b set for every byte that is not a letter or digit of the code page.
const std::bitset<256> &WordDelimiters();

} // namespace dm
