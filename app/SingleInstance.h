#pragma once
// One program per user: the first start holds a lock and listens; a later
// start finds the lock, asks the running program to come forward, and ends.
// The lock is the kernel's record of a live process (flock on the lock
// file), so a crashed program never locks the user out; a lock file that
// names no live copy of this program (empty, garbled, from another machine,
// or naming a dead or foreign process) is taken over.

#include "LocalChannel.h"

#include <QLockFile>
#include <QObject>
#include <QString>

namespace dm {

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // folder holds the lock and the socket; by default the user's runtime folder.
    explicit SingleInstance(const QString &folder = {});

    // True when no other instance runs: this one then answers later starts.
    bool claim();
    // Asks the running instance to come forward, with the folder this start
    // was given (made absolute here: the running copy has its own current
    // folder); false when none answered within timeoutMs (it may still be
    // starting).
    bool activateRunning(const QByteArray &folder = {}, int timeoutMs = 3000);
    // activateRunning(), and when no running copy answers, says so in a
    // message box instead of ending silently.
    bool handOver(const QByteArray &folder = {}, int timeoutMs = 3000);

    QString lockPath() const { return m_lock.fileName(); }

signals:
    // A later start asked this instance to come forward; folder is the one
    // it was given, or empty.
    void activationRequested(const QByteArray &folder);

private:
    QString m_socket;
    QLockFile m_lock;
    LocalListener m_server;
};

// Whether the lock file at path names a live process of this program on this
// machine (since its last start); false for an empty or garbled file.
bool lockNamesLiveCopy(const QString &path);

} // namespace dm
