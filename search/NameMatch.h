#pragma once
// File-name masks and the one case rule of the program's name comparisons:
// ASCII letters directly, other letters folded as the C library's towlower
// does in a UTF-8 locale (what GNU find's -iname does); bytes that are not
// valid UTF-8 only ever equal themselves.

#include <string>
#include <string_view>

namespace dm {

// A byte with an ASCII capital letter lowered; every other byte as it is.
constexpr unsigned char lowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// One character folded by the rule above.
char32_t foldLetter(char32_t c);
// Whether a character is a letter or a digit (in a UTF-8 locale).
bool isWordCharacter(char32_t c);

// True when every byte is below 0x80.
bool isAscii(std::string_view text);

// The code points of text folded by the rule above; a byte that is not part of
// valid UTF-8 (overlong forms and surrogates included) becomes U+DC00 + byte,
// so that it only ever equals itself. With asciiOnly, only ASCII letters are
// folded and every other character stays as it is.
void foldName(std::string_view text, std::u32string &out, bool asciiOnly = false);

// Equality without regard to letter case, by the rule above.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Whether text ends with suffix, letters compared by the rule above.
bool endsWithIgnoreCase(std::string_view text, std::string_view suffix);

// A file-name mask under the platform rule: "*" any run of characters, "?" one
// character, every other character literal; letters match without regard to
// case (ASCII directly, others folded like towlower in a UTF-8 locale, as GNU
// find's -iname does); the mask "*.*" matches every name, with or without a dot.
class FileMask
{
public:
    explicit FileMask(std::string_view mask);

    const std::string &text() const { return m_text; }

    // nameIsAscii must be isAscii(name); a walk computes it once per entry.
    bool matches(std::string_view name, bool nameIsAscii) const;
    bool matches(std::string_view name) const { return matches(name, isAscii(name)); }

private:
    enum class Kind { All, Exact, Prefix, Suffix, General };
    std::string m_text;
    std::string m_lower;        // ASCII-lowered mask (fast path)
    std::u32string m_folded;    // folded code points (general path)
    std::string m_literal;      // lowered literal of Exact, Prefix, Suffix
    Kind m_kind = Kind::General;
    bool m_ascii = true;
};

} // namespace dm
