#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace dm {

namespace {

QString instanceFolder(const QString &folder)
{
    if (!folder.isEmpty())
        return folder;
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

SingleInstance::SingleInstance(const QString &folder)
    : m_socket(instanceFolder(folder) + QStringLiteral("/dustmote.socket")),
      m_lock(instanceFolder(folder) + QStringLiteral("/dustmote.lock"))
{
    // Stale only when its process is gone, never by age.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = m_server.nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains("show"))
                    emit activationRequested();
            });
        }
    });
}

bool SingleInstance::claim()
{
    QDir().mkpath(QFileInfo(m_socket).path());
    if (!m_lock.tryLock(0))
        return false;
    // A socket left by a program that died is ours to replace.
    QLocalServer::removeServer(m_socket);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socket);
    return true;
}

bool SingleInstance::activateRunning(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(m_socket);
        if (socket.waitForConnected(100)) {
            socket.write("show\n");
            return socket.waitForBytesWritten(1000);
        }
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace dm
