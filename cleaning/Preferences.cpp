#include "Preferences.h"

#include "Registry.h"

#include <QtEndian>
#include <algorithm>

namespace dm {

namespace {

const QString kKey = QStringLiteral("Software\\Dustmote");
const QString kDeleteToTrash = QStringLiteral("DeleteToTrash");
const QString kAgeLimitDays = QStringLiteral("AgeLimitDays");

bool readDword(const QString &name, quint32 *out)
{
    Registry store;
    RegKey key;
    if (store.openKey(Registry::currentUser(), kKey, &key) != ERROR_SUCCESS)
        return false;
    quint32 type = 0, value = 0, size = sizeof value;
    const bool ok = store.queryValue(key, name, &type, reinterpret_cast<char *>(&value), &size)
            == ERROR_SUCCESS
        && type == REG_DWORD && size == sizeof value;
    if (ok)
        *out = qFromLittleEndian(value);
    return ok;
}

bool writeDword(const QString &name, quint32 v)
{
    Registry store;
    RegKey key;
    if (store.createKey(Registry::currentUser(), kKey, &key) != ERROR_SUCCESS)
        return false;
    const quint32 value = qToLittleEndian(v);
    return store.setValue(key, name, REG_DWORD,
                          QByteArrayView(reinterpret_cast<const char *>(&value), sizeof value))
        == ERROR_SUCCESS;
}

} // namespace

bool ReadDeleteToTrash()
{
    Registry store;
    RegKey key;
    if (store.openKey(Registry::currentUser(), kKey, &key) != ERROR_SUCCESS)
        return false;
    quint32 type = 0, value = 0, size = sizeof value;
    const bool ok = store.queryValue(key, kDeleteToTrash, &type, reinterpret_cast<char *>(&value), &size)
            == ERROR_SUCCESS
        && type == REG_DWORD && size == sizeof value;
    return ok && qFromLittleEndian(value) != 0;
}

bool WriteDeleteToTrash(bool on)
{
    Registry store;
    RegKey key;
    if (store.createKey(Registry::currentUser(), kKey, &key) != ERROR_SUCCESS)
        return false;
    const quint32 value = qToLittleEndian(quint32(on ? 1 : 0));
    return store.setValue(key, kDeleteToTrash, REG_DWORD,
                          QByteArrayView(reinterpret_cast<const char *>(&value), sizeof value))
        == ERROR_SUCCESS;
}

int ReadAgeLimitDays()
{
    quint32 days = 0;
    return readDword(kAgeLimitDays, &days) && days <= quint32(kMaxAgeLimitDays) ? int(days) : 0;
}

bool WriteAgeLimitDays(int days)
{
    return writeDword(kAgeLimitDays, quint32(std::clamp(days, 0, kMaxAgeLimitDays)));
}

} // namespace dm
