#pragma once
// Shared by the engine's test programs: a fresh temporary tree per test
// function and a recorder of events as text.

#include "FindFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <QProcess>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <functional>
#include <unistd.h>

namespace dmtest {

// ctest runs the engine's tests again with other read-ahead pool sizes: the
// events must not depend on it.
inline const bool readThreadsFromEnvironment = [] {
    if (const QByteArray threads = qgetenv("DUSTMOTE_TEST_READ_THREADS"); !threads.isEmpty())
        dm::TFindFile::setDefaultReadThreads(threads.toInt());
    return true;
}();

// A chain of folders deeper than any path the kernel takes in one piece,
// built relative to each parent: every level is the folder `name`, holding
// `sides` side folders with one file each; the last level holds `bottomFile`.
// Removed with rm, which walks any depth.
class DeepTree
{
public:
    static constexpr const char *name = "level-dir";

    DeepTree(const std::string &root, int levels, int sides, const QByteArray &bottomFile,
             const QByteArray &content = "data")
        : m_root(root + name)
    {
        int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int level = 0; fd >= 0 && level < levels; ++level) {
            ::mkdirat(fd, name, 0755);
            const int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(fd);
            fd = next;
            for (int side = 1; fd >= 0 && side <= sides; ++side) {
                const QByteArray folder = "side" + QByteArray::number(side);
                ::mkdirat(fd, folder.constData(), 0755);
                write(fd, folder + "/s.tmp", content);
            }
        }
        m_complete = fd >= 0 && write(fd, bottomFile, content);
        if (fd >= 0)
            ::close(fd);
    }
    ~DeepTree() { QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QString::fromStdString(m_root)}); }
    DeepTree(const DeepTree &) = delete;
    DeepTree &operator=(const DeepTree &) = delete;

    bool complete() const { return m_complete; }

private:
    static bool write(int dirFd, const QByteArray &file, const QByteArray &content)
    {
        const int fd = ::openat(dirFd, file.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool ok = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
        if (fd >= 0)
            ::close(fd);
        return ok;
    }
    std::string m_root;
    bool m_complete = false;
};

// Records every event of an engine as text, paths relative to the tree's root.
struct Recorder
{
    std::string root;
    QStringList log;
    QList<QThread *> finishThreads;

    QString rel(const std::string &path) const
    {
        return QString::fromStdString(path.substr(std::min(path.size(), root.size())));
    }

    void attach(dm::TFindFile &ff)
    {
        ff.OnSearchBegin = [this](dm::TFindFile *) { log << "begin"; };
        ff.OnSearchAbort = [this](dm::TFindFile *) { log << "abort"; };
        ff.OnSearchFinish = [this](dm::TFindFile *) {
            log << "finish";
            finishThreads << QThread::currentThread();
        };
        ff.OnFolderChange = [this](dm::TFindFile *, const std::string &folder, dm::TFolderIgnore &) {
            log << "folder:" + rel(folder);
        };
        ff.OnFileMatch = [this](dm::TFindFile *, const std::string &folder, const dm::TSearchRec &rec) {
            log << "file:" + rel(folder + rec.Name);
        };
    }
};


// Base of the engine's test classes: init() of a derived class calls initTree().
class TreeTest : public QObject
{
protected:
    QTemporaryDir m_tmp;
    std::string m_root; // ends in "/"

    // A fresh, empty folder named after the running test function.
    void initTree()
    {
        QVERIFY(m_tmp.isValid());
        const QString dir = m_tmp.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        QDir(dir).removeRecursively();
        QVERIFY(QDir().mkpath(dir));
        m_root = QFile::encodeName(dir).toStdString() + "/";
    }

    // Files and (with a trailing "/") folders, relative to the root.
    void make(const QStringList &paths)
    {
        for (const QString &p : paths) {
            const QString full = QString::fromStdString(m_root) + p;
            if (p.endsWith('/')) {
                QVERIFY(QDir().mkpath(full));
            } else {
                QDir().mkpath(QFileInfo(full).path());
                QFile f(full);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("data");
            }
        }
    }

    // The full path of rel.
    std::string path(const char *rel) const { return m_root + rel; }

    // Runs one inline search over the tree and returns the log.
    QStringList run(const std::string &masks, const std::function<void(dm::TFindFile &)> &setup = {})
    {
        dm::TFindFile ff;
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        ff.Criteria().Files().setFileName(masks);
        ff.Criteria().Files().setLocation(m_root);
        if (setup)
            setup(ff);
        ff.StartSearch();
        return rec.log;
    }

    // A sorted copy.
    static QStringList sorted(QStringList l)
    {
        l.sort();
        return l;
    }
};

} // namespace dmtest
