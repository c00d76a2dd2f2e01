// Fuzz target: sequences of operations on the settings store, the file
// damaged in between. Every input starts from an empty store in a folder of
// its own. The store must never crash, and a value it accepted must read back
// as stored while the file is not touched from outside.
//
// Input: operations of one byte each, followed by their arguments:
//   0 create key  1 open key  2 set value  3 query value  4 close key
//   5 overwrite the file with the next n bytes  6 switch to the root key
// Names and data are a length byte and that many bytes.

#include "Registry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size) : m_data(data), m_left(size) {}
    bool empty() const { return m_left == 0; }
    std::uint8_t byte()
    {
        if (!m_left)
            return 0;
        --m_left;
        return *m_data++;
    }
    QByteArray bytes()
    {
        const std::size_t n = std::min<std::size_t>(byte(), m_left);
        QByteArray out(reinterpret_cast<const char *>(m_data), qsizetype(n));
        m_data += n;
        m_left -= n;
        return out;
    }
    // Text from a small alphabet, so that names meet each other.
    QString name()
    {
        static const char16_t letters[] = u"aAbB\\\\ \"=[]@Я\n";
        QString out;
        for (const char c : bytes().left(6))
            out += QChar(letters[std::uint8_t(c) % (std::size(letters) - 1)]);
        return out;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_left;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    QFile::remove(path);
    dm::Registry store(path);
    dm::RegKey key = dm::Registry::currentUser();
    QMap<QString, QPair<quint32, QByteArray>> accepted; // "key|name" -> value, while the file is ours
    Input in(data, size);
    while (!in.empty()) {
        switch (in.byte() % 7) {
        case 0: {
            dm::RegKey k;
            if (store.createKey(key, in.name(), &k) == dm::ERROR_SUCCESS)
                key = k;
            break;
        }
        case 1: {
            dm::RegKey k;
            if (store.openKey(key, in.name(), &k) == dm::ERROR_SUCCESS)
                key = k;
            break;
        }
        case 2: {
            const QString name = in.name();
            const quint32 type = in.byte() % 12;
            const QByteArray value = in.bytes();
            if (store.setValue(key, name, type, value) == dm::ERROR_SUCCESS)
                accepted[key.path().toLower() + u'|' + name.toLower()] = {type, value};
            break;
        }
        case 3: {
            const QString name = in.name();
            quint32 type = 0, length = 0;
            if (store.queryValue(key, name, &type, nullptr, &length) != dm::ERROR_SUCCESS)
                break;
            QByteArray value(qsizetype(length), '\0');
            if (store.queryValue(key, name, &type, value.data(), &length) != dm::ERROR_SUCCESS)
                std::abort();
            const auto it = accepted.constFind(key.path().toLower() + u'|' + name.toLower());
            if (it != accepted.constEnd() && (it->first != type || it->second != value))
                std::abort();
            break;
        }
        case 4:
            dm::Registry::closeKey(key);
            break;
        case 5: {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(in.bytes());
            accepted.clear();
            break;
        }
        case 6:
            key = dm::Registry::currentUser();
            break;
        }
    }
    return 0;
}
