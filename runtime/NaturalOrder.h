#pragma once
// The order people expect of names in a list or a tree: the locale's
// collation, letters without regard to case, numbers by value ("2" before
// "10").

#include <QCollator>

#include <array>
#include <cstdint>
#include <string_view>

namespace dm {

// The locale's collation, or English where the locale is C or POSIX, whose
// own compares code points only; case ignored, numbers by value.
QCollator naturalCollator();

// Keys for names of printable ASCII alone, made without the collator, that
// order byte for byte as the collator orders the names (equal keys exactly
// where it holds the names equal). The weights are taken from the collator's
// own order of the characters, and the keys are used only where that order
// also holds for every name of one and two characters: a language that joins
// two letters into one (as some do) leaves every name to the collator.
class NaturalAsciiKeys
{
public:
    explicit NaturalAsciiKeys(const QCollator &collator);

    // Whether the keys agree with the collator here.
    bool usable() const { return m_usable; }
    // Room a key of a name of `length` bytes may take.
    static constexpr std::size_t room(std::size_t length) { return 2 * length + 2; }
    // Writes the key of `name` to `out` (room(name.size()) bytes) and returns
    // its length, or -1 when the name is not for these keys (bytes outside
    // printable ASCII, a number of over 254 digits).
    int make(std::string_view name, unsigned char *out) const;

private:
    int makeAny(std::string_view name, unsigned char *out) const;

    std::array<std::uint8_t, 128> m_weight{}; // 0: not printable
    std::uint8_t m_number = 0;                // where numbers sort
    bool m_usable = false;
};

} // namespace dm
