#include "RegFile.h"

#include "Cp1251.h"

#include <QtEndian>

namespace dm {

namespace {

bool samePath(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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
    // A root holds values in a section of its own, like any key.
    if (!path.contains(u'\\') && !findKey(path))
        keys.prepend(RegKeyData{path, {}});
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
