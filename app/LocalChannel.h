#pragma once
// A local socket between two starts of the program: the running one listens,
// a later one connects, writes its request and hangs up. Built on a plain
// Unix socket and QSocketNotifier rather than QLocalServer: the network
// module it lives in brought nine libraries (Kerberos, a proxy resolver) to
// every start, for these few bytes.

#include "UniqueFd.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QSocketNotifier;

namespace dm {

class LocalListener : public QObject
{
    Q_OBJECT
public:
    // Each request is read whole once its writer hangs up; one longer than
    // maxRequest bytes is dropped unread.
    explicit LocalListener(qsizetype maxRequest, QObject *parent = nullptr);
    ~LocalListener() override;

    // Listens at path, replacing a socket left there; only this user may
    // connect. False when the socket cannot be made there (also when a
    // file that is no socket is in its place).
    bool listen(const QString &path);

signals:
    void received(const QByteArray &request);

private:
    struct Client;
    void acceptAll();
    void readFrom(Client *client);
    void drop(Client *client);

    qsizetype m_maxRequest;
    UniqueFd m_fd;
    QSocketNotifier *m_notifier = nullptr;
    std::vector<std::unique_ptr<Client>> m_clients;
};

// Connects to a listener at path, trying again every 100 ms for up to
// timeoutMs, and writes bytes; true once all were written.
bool sendLocal(const QString &path, const QByteArray &bytes, int timeoutMs);

} // namespace dm
