#pragma once
// One program per user: the first start holds a lock and listens; a later
// start finds the lock, asks the running program to come forward, and ends.
// The lock is the kernel's record of a live process, so a crashed program
// never locks the user out.

#include <QLocalServer>
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
    // Asks the running instance to come forward; false when none answered
    // within timeoutMs (it may still be starting).
    bool activateRunning(int timeoutMs = 3000);

signals:
    // A later start asked this instance to come forward.
    void activationRequested();

private:
    QString m_socket;
    QLockFile m_lock;
    QLocalServer m_server;
};

} // namespace dm
