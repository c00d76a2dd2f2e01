#include "NaturalOrder.h"

#include <QLocale>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace dm {

QCollator naturalCollator()
{
    QCollator collator;
    if (QLocale().language() == QLocale::C)
        collator = QCollator(QLocale(QLocale::English));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

namespace {

constexpr char kFirst = ' ', kLast = '~';

int compareKeys(const std::string &a, const std::string &b)
{
    const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    return c != 0 ? c : (a.size() < b.size() ? -1 : a.size() > b.size());
}

int sign(int v) { return (v > 0) - (v < 0); }

} // namespace

NaturalAsciiKeys::NaturalAsciiKeys(const QCollator &collator)
{
    // The characters in the collator's order; those it holds equal (a letter
    // and its capital) share a weight.
    std::string chars;
    for (char c = kFirst; c <= kLast; ++c)
        chars += c;
    const auto text = [](std::string_view s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); };
    std::stable_sort(chars.begin(), chars.end(), [&](char a, char b) {
        return collator.compare(QString(QChar(a)), QString(QChar(b))) < 0;
    });
    std::uint8_t weight = 1;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (i > 0 && collator.compare(QString(QChar(chars[i - 1])), QString(QChar(chars[i]))) != 0)
            ++weight;
        m_weight[std::size_t(chars[i])] = weight;
    }
    // A number sorts where its digits do; nothing else may sort among them.
    m_number = m_weight['0'];
    for (char c = kFirst; c <= kLast; ++c) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit && m_weight[std::size_t(c)] >= m_number && m_weight[std::size_t(c)] <= m_weight['9'])
            return;
    }
    // Every name of one and two characters, in the keys' order, must stand
    // in the collator's order too, ties exactly where it sees ties.
    std::vector<std::string> names;
    for (char a = kFirst; a <= kLast; ++a) {
        names.emplace_back(1, a);
        for (char b = kFirst; b <= kLast; ++b)
            names.push_back(std::string{a, b});
    }
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const std::string &name : names) {
        std::string key(room(name.size()), '\0');
        key.resize(std::size_t(makeAny(name, reinterpret_cast<unsigned char *>(key.data()))));
        keys.push_back(std::move(key));
    }
    std::vector<std::size_t> order(names.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return compareKeys(keys[a], keys[b]) < 0; });
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::size_t a = order[i - 1], b = order[i];
        if (sign(collator.compare(text(names[a]), text(names[b]))) != sign(compareKeys(keys[a], keys[b])))
            return;
    }
    m_usable = true;
}

int NaturalAsciiKeys::make(std::string_view name, unsigned char *out) const
{
    return m_usable ? makeAny(name, out) : -1;
}

int NaturalAsciiKeys::makeAny(std::string_view name, unsigned char *out) const
{
    // A character is its weight; a number is where numbers sort, the count
    // of its digits without leading zeros (the collator holds "01" and "1"
    // equal), then those digits, so that a longer number is a larger one.
    unsigned char *const start = out;
    const std::size_t n = name.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < '0' || c > '9') {
            if (c >= 0x80 || m_weight[c] == 0)
                return -1;
            *out++ = m_weight[c];
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < n && name[end] >= '0' && name[end] <= '9')
            ++end;
        if (end - i > 254)
            return -1;
        while (i < end && name[i] == '0')
            ++i;
        *out++ = m_number;
        *out++ = static_cast<unsigned char>(end - i);
        for (; i < end; ++i)
            *out++ = static_cast<unsigned char>(name[i] - '0' + 1);
    }
    return int(out - start);
}

} // namespace dm
