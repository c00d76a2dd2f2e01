#include "LocalChannel.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace dm {

namespace {

// The socket's address: its path, or, for a folder too deep for an
// address's 108 bytes, its name in the folder reached through the folder's
// descriptor (held in folder while the address is in use).
bool addressOf(const QString &path, sockaddr_un &address, UniqueFd &folder)
{
    QByteArray name = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (std::size_t(name.size()) >= sizeof address.sun_path) {
        const qsizetype slash = name.lastIndexOf('/');
        if (slash <= 0)
            return false;
        folder.reset(::open(name.left(slash).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!folder)
            return false;
        name = "/proc/self/fd/" + QByteArray::number(folder.get()) + name.mid(slash);
    }
    if (name.isEmpty() || std::size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    return true;
}

} // namespace

struct LocalListener::Client
{
    UniqueFd fd;
    QByteArray request;
    std::unique_ptr<QSocketNotifier> notifier;
};

LocalListener::LocalListener(qsizetype maxRequest, QObject *parent) : QObject(parent), m_maxRequest(maxRequest) {}

LocalListener::~LocalListener() = default;

bool LocalListener::listen(const QString &path)
{
    sockaddr_un address;
    UniqueFd folder;
    if (!addressOf(path, address, folder))
        return false;
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    // The socket file takes the socket's mode when bound: the user's alone,
    // whatever the umask.
    if (!fd || ::fchmod(fd.get(), S_IRUSR | S_IWUSR) != 0)
        return false;
    // A socket left by a program that died is replaced; anything else in its
    // place is not ours to remove.
    struct stat st;
    if (::lstat(address.sun_path, &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(address.sun_path);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::listen(fd.get(), 16) != 0)
        return false;
    m_fd = std::move(fd);
    m_notifier = new QSocketNotifier(m_fd.get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LocalListener::acceptAll);
    return true;
}

void LocalListener::acceptAll()
{
    for (;;) {
        UniqueFd fd(::accept4(m_fd.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd)
            return; // none waiting, or the peer gave up meanwhile
        // The socket's mode keeps others out; a peer of another user that
        // got in regardless is not heard.
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid())
            continue;
        auto client = std::make_unique<Client>();
        client->fd = std::move(fd);
        client->notifier = std::make_unique<QSocketNotifier>(client->fd.get(), QSocketNotifier::Read);
        Client *c = client.get();
        connect(c->notifier.get(), &QSocketNotifier::activated, this, [this, c] { readFrom(c); });
        m_clients.push_back(std::move(client));
    }
}

// Reads what the writer sent so far; at its end the request is told, unless
// it grew past the bound (a stuck or garbled writer must not grow the buffer).
void LocalListener::readFrom(Client *client)
{
    char buffer[4096];
    for (;;) {
        const qsizetype room = m_maxRequest + 1 - client->request.size();
        const ssize_t n = ::recv(client->fd.get(), buffer, std::size_t(std::min<qsizetype>(room, sizeof buffer)), 0);
        if (n > 0) {
            client->request.append(buffer, n);
            if (client->request.size() > m_maxRequest)
                return drop(client);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        const QByteArray request = n == 0 ? client->request : QByteArray();
        drop(client);
        if (!request.isEmpty())
            emit received(request);
        return;
    }
}

void LocalListener::drop(Client *client)
{
    client->notifier->setEnabled(false);
    // Deleted later: this may run inside the notifier's own signal.
    client->notifier.release()->deleteLater();
    std::erase_if(m_clients, [client](const std::unique_ptr<Client> &c) { return c.get() == client; });
}

bool sendLocal(const QString &path, const QByteArray &bytes, int timeoutMs)
{
    sockaddr_un address;
    UniqueFd folder;
    if (!addressOf(path, address, folder))
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    do {
        UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (fd && ::connect(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
            // A second for the bytes, as the listener reads them from its
            // event loop.
            const QDeadlineTimer writing(1000);
            qsizetype sent = 0;
            while (sent < bytes.size()) {
                const ssize_t n = ::send(fd.get(), bytes.constData() + sent, std::size_t(bytes.size() - sent),
                                         MSG_NOSIGNAL);
                if (n > 0) {
                    sent += n;
                    continue;
                }
                if (n < 0 && errno != EAGAIN && errno != EINTR)
                    return false;
                pollfd p{fd.get(), POLLOUT, 0};
                if (writing.hasExpired() || ::poll(&p, 1, int(writing.remainingTime())) < 0)
                    return false;
            }
            return true;
        }
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace dm
