#pragma once
// The per-user settings store: keys below HKEY_CURRENT_USER holding typed
// values, with the operations and result codes of the platform registry the
// program was written against (create/open, query, set, close).
//
// The store is one text file (see RegFile.h), by default
// $XDG_CONFIG_HOME/Dustmote/registry.reg. Every operation sees the file as it
// is at that moment, so two running copies of the program see each other's
// values; what was parsed is kept only while the file stays the same version
// (same inode, size and times), so a start-up parses it once. Every change re-reads, changes and atomically
// replaces the file while holding a lock on a file beside it (flock, which
// the kernel releases when a holder dies), so neither copy can lose the
// other's unrelated values or leave a half-written file, and no killed
// program can leave the store locked.
//
// A file that cannot be parsed reads as empty and is never overwritten: the
// first change moves it aside to a free name ("registry.reg.damaged",
// "registry.reg.damaged2", ...) and reports that once through the damage notice.
// A file that exists but cannot be read also reads as empty, and every change
// fails, so what it holds is never replaced. So does anything in the file's
// place that is not a regular file (a FIFO, a device, a folder): it is never
// read, never waited on, and never replaced.

#include "RegFile.h"

#include <QByteArrayView>
#include <QString>
#include <functional>

namespace dm {

// Result codes, numbered as the registry's.
enum RegResult : long {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,      // no such key or value
    ERROR_ACCESS_DENIED = 5,       // the file could not be read, locked or moved aside
    ERROR_INVALID_HANDLE = 6,      // the key is not open
    ERROR_WRITE_FAULT = 29,        // the new file could not be written
    ERROR_LOCK_VIOLATION = 33,     // another change held the store for far too long
    ERROR_INVALID_PARAMETER = 87,  // a name the store cannot hold, or no size given
    ERROR_MORE_DATA = 234,         // the data is longer than the buffer
};

// An open key. Holds only the key's path, so it never goes stale.
class RegKey
{
public:
    // A closed key.
    RegKey() = default;
    bool isOpen() const { return !m_path.isEmpty(); }
    // The full path from the root, e.g. "HKEY_CURRENT_USER\Software\Dustmote".
    const QString &path() const { return m_path; }

private:
    friend class Registry;
    explicit RegKey(QString path) : m_path(std::move(path)) {}
    QString m_path;
};

// One store file. Objects are cheap; several may use the same file.
class Registry
{
public:
    // The store at `filePath`, by default defaultFilePath().
    explicit Registry(QString filePath = defaultFilePath());

    // $XDG_CONFIG_HOME/Dustmote/registry.reg (~/.config when unset), read anew
    // each call so that a changed environment takes effect.
    static QString defaultFilePath();
    const QString &filePath() const { return m_path; }

    // HKEY_CURRENT_USER: the root of every key, always open.
    static RegKey currentUser();

    // Opens subKey ("A\B", relative to parent; empty for parent itself),
    // creating it and its missing parents when it does not exist.
    RegResult createKey(const RegKey &parent, const QString &subKey, RegKey *result);
    // Opens subKey only when it exists (ERROR_FILE_NOT_FOUND otherwise).
    RegResult openKey(const RegKey &parent, const QString &subKey, RegKey *result) const;

    // Reads a value ("" is the default value). type and size may be null.
    // With data null, *size receives the data's length. Otherwise *size is
    // the buffer's length and receives the data's; when the buffer is too
    // short the result is ERROR_MORE_DATA and the buffer is left alone.
    // *type is set whenever the value exists.
    RegResult queryValue(const RegKey &key, const QString &name, quint32 *type,
                         char *data, quint32 *size) const;

    // Reads a value whole in one look at the store: its type and its data.
    // type may be null.
    RegResult readValue(const RegKey &key, const QString &name, quint32 *type, QByteArray *data) const;

    // Stores a value of any type, replacing one of the same name.
    RegResult setValue(const RegKey &key, const QString &name, quint32 type,
                       QByteArrayView data);

    // Closes the key (it becomes a closed key).
    static RegResult closeKey(RegKey &key);

    // Called after a damaged file was moved aside, with the store's path and
    // the kept copy's. Called at most once per installation of a notice, so a
    // user hears of damage once per run. Returns the old notice.
    using DamageNotice = std::function<void(const QString &file, const QString &keptCopy)>;
    static DamageNotice setDamageNotice(DamageNotice notice);

private:
    RegResult change(const std::function<void(RegTree &)> &edit);
    QString m_path;
};

} // namespace dm
