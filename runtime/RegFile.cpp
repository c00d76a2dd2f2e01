#include "RegFile.h"

#include "Cp1251.h"

#include <QStringDecoder>
#include <QtEndian>
#include <cctype>

namespace dm {

namespace {

bool samePath(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

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

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    return out + u'"';
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

// A string the "text" form holds exactly: one terminating zero, no control bytes.
bool isPlainString(const QByteArray &data)
{
    if (data.isEmpty() || data.back() != '\0')
        return false;
    for (qsizetype i = 0; i + 1 < data.size(); ++i)
        if (uchar(data[i]) < 0x20)
            return false;
    return true;
}

QString formatValue(const RegValue &v)
{
    QString line = (v.name.isEmpty() ? QStringLiteral("@") : quoted(v.name)) + u'=';
    if (v.type == REG_SZ && isPlainString(v.data))
        return line + quoted(cp1251::decode(v.data.chopped(1))) + u'\n';
    if (v.type == REG_DWORD && v.data.size() == 4) {
        const quint32 n = qFromLittleEndian<quint32>(v.data.constData());
        return line + QStringLiteral("dword:%1\n").arg(n, 8, 16, QLatin1Char('0'));
    }
    line += v.type == REG_BINARY ? QStringLiteral("hex:")
                                 : QStringLiteral("hex(%1):").arg(v.type, 0, 16);
    // Long data wraps as exports do: ",\" then the rest indented by two blanks.
    QString out;
    int onLine = 0;
    for (qsizetype i = 0; i < v.data.size(); ++i) {
        QString piece = QStringLiteral("%1").arg(uchar(v.data[i]), 2, 16, QLatin1Char('0'));
        if (i + 1 < v.data.size())
            piece += u',';
        if (onLine > 0 && line.size() + piece.size() > 78) {
            out += line + QStringLiteral("\\\n");
            line = QStringLiteral("  ");
            onLine = 0;
        }
        line += piece;
        ++onLine;
    }
    return out + line + u'\n';
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

} // namespace

RegValue *RegKeyData::findValue(QStringView name)
{
    for (RegValue &v : values)
        if (samePath(v.name, name))
            return &v;
    return nullptr;
}

const RegValue *RegKeyData::findValue(QStringView name) const
{
    return const_cast<RegKeyData *>(this)->findValue(name);
}

void RegKeyData::setValue(const QString &name, quint32 type, const QByteArray &data)
{
    RegValue *v = findValue(name);
    if (!v)
        v = &values.emplace_back(RegValue{name, type, {}});
    v->type = type;
    v->data = data;
}

RegKeyData *RegTree::findKey(QStringView path)
{
    for (RegKeyData &k : keys)
        if (samePath(k.path, path))
            return &k;
    return nullptr;
}

const RegKeyData *RegTree::findKey(QStringView path) const
{
    return const_cast<RegTree *>(this)->findKey(path);
}

bool RegTree::keyExists(QStringView path) const
{
    if (!path.contains(u'\\'))
        return true; // a root
    for (const RegKeyData &k : keys)
        if (samePath(k.path, path)
            || (k.path.size() > path.size() && k.path[path.size()] == u'\\'
                && k.path.startsWith(path, Qt::CaseInsensitive)))
            return true;
    return false;
}

RegKeyData &RegTree::ensureKey(const QString &path)
{
    for (qsizetype sep = path.indexOf(u'\\'); sep >= 0;) {
        sep = path.indexOf(u'\\', sep + 1);
        const QString prefix = sep < 0 ? path : path.first(sep);
        if (findKey(prefix))
            continue;
        // Before its first existing subkey, so that parents come first.
        qsizetype at = keys.size();
        for (qsizetype i = 0; i < keys.size(); ++i)
            if (keys[i].path.startsWith(prefix + u'\\', Qt::CaseInsensitive)) {
                at = i;
                break;
            }
        keys.insert(at, RegKeyData{prefix, {}});
    }
    return *findKey(path);
}

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
    for (qsizetype next = 1; next < lines.size();) {
        const QStringView line = lines[next++];
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']') || !isValidPath(line.sliced(1, line.size() - 2)))
                return std::nullopt;
            const QString path = line.sliced(1, line.size() - 2).toString();
            current = tree.findKey(path);
            if (!current)
                current = &tree.keys.emplace_back(RegKeyData{path, {}});
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
        current->setValue(value.name, value.type, value.data);
    }
    return tree;
}

QByteArray formatRegFile(const RegTree &tree)
{
    QString out = QStringLiteral("REGEDIT4\n\n");
    for (const RegKeyData &key : tree.keys) {
        out += u'[' + key.path + QStringLiteral("]\n");
        for (const RegValue &v : key.values)
            out += formatValue(v);
        out += u'\n';
    }
    return out.toUtf8();
}

bool isValidValueName(QStringView name)
{
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return true;
}

bool isValidKeyName(QStringView part)
{
    return !part.isEmpty() && !part.contains(u'\\') && isValidValueName(part);
}

} // namespace dm
