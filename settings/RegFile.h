#pragma once
// The settings store's file: keys with typed values in the registry-export text
// syntax, so that a person can read and edit it and every type survives:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Dustmote\Quantity]
//   "Scans"="42"
//   "Flags"=dword:0000002a
//   "LastScan"=hex:00,00,00,00,00,40,e6,40
//   "Path"=hex(2):25,48,4f,4d,45,25,00
//   @="default value"
//
// The file is UTF-8. String data is held as bytes in code page 1251 (what the
// program stores); it is written as "text" when it is one terminated string
// of printable characters, and as hex(1) otherwise, so nothing is lost.
// Expandable strings and unknown types are written as hex(N), byte for byte.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace dm {

// Value types, numbered as the registry numbers them.
enum RegType : quint32 {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
};

// One value: an empty name is the key's default value ("@").
struct RegValue
{
    QString name;
    quint32 type = REG_NONE;
    QByteArray data;
};

// One key, named by its full path from the root ("HKEY_CURRENT_USER\Software").
struct RegKeyData
{
    QString path;
    QList<RegValue> values;

    // The value of that name (names compare without regard to case), or null.
    RegValue *findValue(QStringView name);
    const RegValue *findValue(QStringView name) const;
    // Sets a value, keeping the stored spelling of an existing name.
    void setValue(const QString &name, quint32 type, const QByteArray &data);
};

// The whole file: keys in file order.
struct RegTree
{
    QList<RegKeyData> keys;

    // The key's own section, or null (paths compare without regard to case).
    RegKeyData *findKey(QStringView path);
    const RegKeyData *findKey(QStringView path) const;
    // True when the key has a section or lies above one: a key exists as long
    // as any of its subkeys does, and a root ("HKEY_CURRENT_USER") always does.
    bool keyExists(QStringView path) const;
    // The key's section, made with the sections of its missing parents below
    // the root, in the way an export lists them.
    RegKeyData &ensureKey(const QString &path);
};

// Parses a whole file; nullopt when it is not one this store can read
// without loss (no "REGEDIT4" header, a line of unknown form, a bad escape or
// hex byte, invalid UTF-8, deletion entries, or string text the code page
// cannot hold). Comment lines (";") are skipped. Repeated sections merge and a
// repeated value name keeps the last data, as an import would.
std::optional<RegTree> parseRegFile(QByteArrayView bytes);

// The file text of a tree, which parseRegFile() reads back to the same tree.
QByteArray formatRegFile(const RegTree &tree);

// True for names and key path parts the file syntax can hold (no control
// characters); key path parts must also be non-empty and hold no backslash.
bool isValidValueName(QStringView name);
bool isValidKeyName(QStringView part);

} // namespace dm
