#include "Preferences.h"

#include "Registry.h"

#include <QtEndian>

namespace dm {

namespace {

const QString kKey = QStringLiteral("Software\\Dustmote");
const QString kDeleteToTrash = QStringLiteral("DeleteToTrash");

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

} // namespace dm
