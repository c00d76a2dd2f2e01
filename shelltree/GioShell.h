#pragma once
// The desktop's namespace through GIO: asynchronous folder reading, file
// monitors, the volume monitor, rename, trash, and copy, move and permanent
// deletion on a worker thread. GIO's own headers stay in the .cpp files: their
// struct member `signals` clashes with Qt's keyword macro.

#include "ShellNamespace.h"

typedef struct _GVolumeMonitor GVolumeMonitor;

class TDmGioShell : public TDmShellNamespace
{
    Q_OBJECT
public:
    explicit TDmGioShell(QObject *parent = nullptr);
    ~TDmGioShell() override;

    QList<TDmShellMount> mounts() override;
    std::unique_ptr<TDmShellRequest> listFolders(const QByteArray &path, ListCallback done) override;
    std::unique_ptr<TDmShellRequest> watchFolder(const QString &path,
                                                 NoticeCallback notice) override;
    void rename(const QString &path, const QString &newName, QObject *context,
                DoneCallback done) override;
    void trash(const QString &path, QObject *context, DoneCallback done) override;
    std::unique_ptr<TDmShellJob> transfer(TDmShellTransferKind kind, const QStringList &sources,
                                          const QStringList &targets) override;

private:
    GVolumeMonitor *volumes();
    GVolumeMonitor *m_volumes = nullptr;
};

namespace dm {

/// Starts a long file operation on a worker thread (ShellTransfer.cpp).
std::unique_ptr<TDmShellJob> startShellTransfer(TDmShellTransferKind kind,
                                                const QStringList &sources,
                                                const QStringList &targets);

/// Watches folder `path` with a GIO file monitor (GioWatch.cpp); null when
/// it cannot be watched.
std::unique_ptr<TDmShellRequest> watchShellFolder(const QString &path,
                                                 TDmShellNamespace::NoticeCallback notice);

} // namespace dm
