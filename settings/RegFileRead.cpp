// Reading the store's file. Strict on purpose: whatever this cannot read
// exactly makes the whole file count as damaged, so that the store keeps it
// aside instead of rewriting it with parts missing.

#include "RegFile.h"

#include "Cp1251.h"

#include <QHash>
#include <QStringDecoder>
#include <QtEndian>
#include <cctype>

namespace dm {

namespace {

// A quoted name or string at line[pos]: `\\` and `\"` are the only escapes.
bool readQuoted(QStringView line, qsizetype &pos, QString &out)
{
    if (pos >= line.size() || line[pos] != u'"')
        return false;
    ++pos;
    while (pos < line.size()) {
        const QChar c = line[pos++];
        if (c == u'"')
            return true;
        if (c == u'\\') {
            if (pos >= line.size() || (line[pos] != u'\\' && line[pos] != u'"'))
                return false;
            out += line[pos++];
        } else {
            out += c;
        }
    }
    return false;
}

// 1..maxDigits hexadecimal digits, nothing else.
bool parseHexNumber(QStringView s, int maxDigits, quint32 &out)
{
    if (s.isEmpty() || s.size() > maxDigits)
        return false;
    for (const QChar c : s)
        if (c.unicode() >= 128 || !std::isxdigit(c.unicode()))
            return false;
    bool ok = false;
    out = s.toUInt(&ok, 16);
    return ok;
}

// "01,02, ab" -> bytes; an empty list is zero bytes.
bool parseHexList(QStringView list, QByteArray &out)
{
    QString compact;
    for (const QChar c : list)
        if (!c.isSpace())
            compact += c;
    if (compact.isEmpty())
        return true;
    for (const QStringView item : QStringView(compact).split(u',')) {
        quint32 byte = 0;
        if (!parseHexNumber(item, 2, byte))
            return false;
        out.append(char(byte));
    }
    return true;
}

bool isValidPath(QStringView path)
{
    // "[-...]" deletes a key on import: not something a store file holds.
    if (path.startsWith(u'-'))
        return false;
    for (const QStringView part : path.split(u'\\'))
        if (!isValidKeyName(part))
            return false;
    return true;
}


// The data part of a value line (after "="); may consume continuation lines.
bool parseData(QStringView data, const QList<QStringView> &lines, qsizetype &next,
               RegValue &value)
{
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        QString text;
        if (!readQuoted(data, pos, text) || !data.sliced(pos).trimmed().isEmpty())
            return false;
        bool lossless = false;
        value.type = REG_SZ;
        value.data = cp1251::encode(text, &lossless);
        value.data.append('\0');
        return lossless;
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        quint32 n = 0;
        if (!parseHexNumber(data.sliced(6), 8, n))
            return false;
        value.type = REG_DWORD;
        value.data.resize(4);
        qToLittleEndian(n, value.data.data());
        return true;
    }
    if (!data.startsWith(u"hex", Qt::CaseInsensitive))
        return false;
    const qsizetype colon = data.indexOf(u':');
    if (colon < 0)
        return false;
    const QStringView kind = data.first(colon);
    if (kind.size() == 3) {
        value.type = REG_BINARY;
    } else {
        quint32 type = 0;
        if (kind.size() < 6 || kind[3] != u'(' || !kind.endsWith(u')')
            || !parseHexNumber(kind.sliced(4, kind.size() - 5), 8, type))
            return false;
        value.type = type;
    }
    QString list = data.sliced(colon + 1).trimmed().toString();
    while (list.endsWith(u'\\')) {
        list.chop(1);
        if (next >= lines.size())
            return false;
        list += lines[next++].trimmed();
    }
    return parseHexList(list, value.data);
}

// A key path or value name as the case-blind comparison sees it, for hashing:
// every character folded on its own, as that comparison folds them.
QString foldedName(QStringView path)
{
    QList<uint> ucs4 = path.toUcs4();
    for (uint &c : ucs4)
        c = QChar::toCaseFolded(char32_t(c));
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(ucs4.constData()), ucs4.size());
}

} // namespace

std::optional<RegTree> parseRegFile(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    QList<QStringView> lines = QStringView(text).split(u'\n');
    for (QStringView &line : lines)
        line = line.trimmed(); // also drops the carriage returns of CRLF files
    if (lines.isEmpty() || lines[0] != u"REGEDIT4")
        return std::nullopt;

    RegTree tree;
    RegKeyData *current = nullptr;
    // Sections by folded path: a repeated section merges without a search
    // through all before it, so the time grows with the file, not its square.
    // Likewise the value names of each section.
    QHash<QString, qsizetype> sections;
    QList<QHash<QString, qsizetype>> valueNames;
    QHash<QString, qsizetype> *currentNames = nullptr;
    for (qsizetype next = 1; next < lines.size();) {
        const QStringView line = lines[next++];
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']') || !isValidPath(line.sliced(1, line.size() - 2)))
                return std::nullopt;
            const QString path = line.sliced(1, line.size() - 2).toString();
            const QString folded = foldedName(path);
            auto at = sections.constFind(folded);
            if (at == sections.cend()) {
                at = sections.insert(folded, tree.keys.size());
                tree.keys.emplace_back(RegKeyData{path, {}});
                valueNames.emplace_back();
            }
            current = &tree.keys[at.value()];
            currentNames = &valueNames[at.value()];
            continue;
        }
        if (!current)
            return std::nullopt; // a value before any key
        RegValue value;
        qsizetype pos = 0;
        if (line[0] == u'@')
            pos = 1;
        else if (!readQuoted(line, pos, value.name))
            return std::nullopt;
        const QStringView rest = line.sliced(pos).trimmed();
        if (!rest.startsWith(u'=')
            || !parseData(rest.sliced(1).trimmed(), lines, next, value))
            return std::nullopt;
        const QString folded = foldedName(value.name);
        auto known = currentNames->constFind(folded);
        if (known == currentNames->cend()) {
            currentNames->insert(folded, current->values.size());
            current->values.append(std::move(value));
        } else {
            RegValue &old = current->values[known.value()];
            old.type = value.type; // the stored spelling of the name stays
            old.data = std::move(value.data);
        }
    }
    return tree;
}

} // namespace dm
