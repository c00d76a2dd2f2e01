#include "NameMatch.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace dm {

namespace {

// The UTF-8 locale whose towlower folds letters; created once, never freed.
locale_t foldLocale()
{
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (!l)
            l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
        return l;
    }();
    return loc;
}

char32_t foldChar(char32_t c)
{
    if (c < 0x80)
        return lowerAscii(static_cast<unsigned char>(c));
    if (c >= 0xDC80 && c <= 0xDCFF) // an undecodable byte
        return c;
    const locale_t loc = foldLocale();
    return loc ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc)) : c;
}

} // namespace

char32_t foldLetter(char32_t c)
{
    return foldChar(c);
}

bool isWordCharacter(char32_t c)
{
    const locale_t loc = foldLocale();
    return loc && iswalnum_l(static_cast<wint_t>(c), loc);
}

void foldName(std::string_view s, std::u32string &out, bool asciiOnly)
{
    out.clear();
    const auto *p = reinterpret_cast<const unsigned char *>(s.data());
    const auto *end = p + s.size();
    while (p < end) {
        const unsigned char b = *p;
        char32_t c;
        int extra;
        if (b < 0x80) { out.push_back(lowerAscii(b)); ++p; continue; }
        else if ((b & 0xE0) == 0xC0 && b >= 0xC2) { c = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
        else if ((b & 0xF8) == 0xF0 && b <= 0xF4) { c = b & 0x07; extra = 3; }
        else { out.push_back(0xDC00 + b); ++p; continue; }
        if (end - p <= extra) { out.push_back(0xDC00 + b); ++p; continue; }
        bool ok = true;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) { ok = false; break; }
            c = (c << 6) | (p[i] & 0x3F);
        }
        const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF));
        if (!ok || overlong || (c >= 0xD800 && c <= 0xDFFF)) {
            out.push_back(0xDC00 + b);
            ++p;
            continue;
        }
        out.push_back(asciiOnly ? c : foldChar(c));
        p += extra + 1;
    }
}

namespace {

// Glob with "*" and "?" over already folded strings; one backtrack point is
// enough because a later "*" subsumes an earlier one.
template <typename Str, typename Pat>
bool glob(const Str &s, std::size_t n, const Pat &pat, std::size_t m)
{
    std::size_t si = 0, pi = 0, starP = std::size_t(-1), starS = 0;
    while (si < n) {
        if (pi < m && pat[pi] == '*') {
            starP = pi++;
            starS = si;
        } else if (pi < m && (pat[pi] == '?' || pat[pi] == s[si])) {
            ++pi;
            ++si;
        } else if (starP != std::size_t(-1)) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < m && pat[pi] == '*')
        ++pi;
    return pi == m;
}

struct LoweredName
{
    const unsigned char *p;
    unsigned char operator[](std::size_t i) const { return lowerAscii(p[i]); }
};

bool equalLowered(const unsigned char *name, const std::string &lit)
{
    for (std::size_t i = 0; i < lit.size(); ++i)
        if (lowerAscii(name[i]) != static_cast<unsigned char>(lit[i]))
            return false;
    return true;
}

} // namespace

bool isAscii(std::string_view text)
{
    unsigned char any = 0;
    for (char c : text)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (isAscii(a) && isAscii(b)) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (lowerAscii(a[i]) != lowerAscii(b[i]))
                return false;
        return true;
    }
    std::u32string fa, fb;
    foldName(a, fa);
    foldName(b, fb);
    return fa == fb;
}

bool endsWithIgnoreCase(std::string_view text, std::string_view suffix)
{
    if (isAscii(text) && isAscii(suffix))
        return text.size() >= suffix.size() && equalsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
    std::u32string ft, fs;
    foldName(text, ft);
    foldName(suffix, fs);
    return ft.size() >= fs.size() && std::u32string_view(ft).substr(ft.size() - fs.size()) == fs;
}

FileMask::FileMask(std::string_view mask)
    : m_text(mask)
{
    m_ascii = isAscii(mask);
    m_lower.reserve(mask.size());
    for (char c : mask)
        m_lower.push_back(static_cast<char>(lowerAscii(static_cast<unsigned char>(c))));
    foldName(mask, m_folded);
    if (mask == "*" || mask == "*.*") {
        m_kind = Kind::All;
        return;
    }
    const auto wild = [](std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; };
    const std::string_view lower(m_lower);
    if (!m_ascii)
        m_kind = Kind::General;
    else if (!wild(lower))
        m_kind = Kind::Exact, m_literal = lower;
    else if (lower.size() > 1 && lower.front() == '*' && !wild(lower.substr(1)))
        m_kind = Kind::Suffix, m_literal = lower.substr(1);
    else if (lower.size() > 1 && lower.back() == '*' && !wild(lower.substr(0, lower.size() - 1)))
        m_kind = Kind::Prefix, m_literal = lower.substr(0, lower.size() - 1);
}

bool FileMask::matches(std::string_view name, bool nameIsAscii) const
{
    if (m_kind == Kind::All)
        return true;
    if (m_ascii && nameIsAscii) {
        const auto *n = reinterpret_cast<const unsigned char *>(name.data());
        switch (m_kind) {
        case Kind::Exact:
            return name.size() == m_literal.size() && equalLowered(n, m_literal);
        case Kind::Suffix:
            return name.size() >= m_literal.size()
                && equalLowered(n + name.size() - m_literal.size(), m_literal);
        case Kind::Prefix:
            return name.size() >= m_literal.size() && equalLowered(n, m_literal);
        default:
            return glob(LoweredName{n}, name.size(), m_lower, m_lower.size());
        }
    }
    thread_local std::u32string folded;
    foldName(name, folded);
    return glob(folded, folded.size(), m_folded, m_folded.size());
}

} // namespace dm
