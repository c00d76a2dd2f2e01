// The kill loop's victim: saves again and again until it is killed, saying
// "saving" once its first save has begun.
//   dustmote-save-loop list FILE    a 2 MB file replaced through the file writer
//   dustmote-save-loop store FILE   a 64 KB settings value changed in the store

#include "FileStream.h"
#include "Registry.h"

#include <QByteArray>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[2]);
    std::puts("saving");
    std::fflush(stdout);
    for (char round = 'a';; round = round == 'z' ? 'a' : char(round + 1)) {
        if (std::strcmp(argv[1], "list") == 0) {
            dm::AtomicFileWriter writer(path);
            writer.write(QByteArray(2 << 20, round));
            writer.commit();
        } else {
            dm::Registry store(path);
            dm::RegKey key;
            store.createKey(dm::Registry::currentUser(), QStringLiteral("Software\\Dustmote"), &key);
            store.setValue(key, QStringLiteral("Data"), dm::REG_BINARY, QByteArray(64 << 10, round));
        }
    }
}
