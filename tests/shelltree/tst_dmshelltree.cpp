// The shell folder tree on a temporary home: the namespace it shows and the
// path it yields, lazy and silent reading, following changes made by other
// programs, and the folder operations with their refreshes. Mounts come from
// a namespace of the test's own; everything else is the real one on disk.

#include "GioUtil.h"

#include "DmShellTree.h"
#include "GioShell.h"
#include "ChildProcess.h"
#include "RecordedBoxes.h"
#include "ShellMounts.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>
#include <sys/mount.h>
#include <unistd.h>

namespace {

const QString Computer = QStringLiteral("Компьютер");
const QString FileSystem = QStringLiteral("Файловая система");
const QString Stick = QStringLiteral("USB-ДИСК");

// The home of the whole test program: GLib reads the user's folders once.
QTemporaryDir *home = nullptr;

QString homePath(const QString &relative = {})
{
    return relative.isEmpty() ? home->path() : home->path() + u'/' + relative;
}

QString desktop(const QString &relative = {})
{
    return homePath(relative.isEmpty() ? u"Desktop"_qs : u"Desktop/"_qs + relative);
}

QString stickPath()
{
    return homePath(u"media/stick"_qs);
}

void makeFolders(const QStringList &relative)
{
    for (const QString &path : relative)
        QVERIFY(QDir().mkpath(homePath(path)));
}

// The real namespace with a removable stick of the test's own mounted.
class WithStick : public TDmGioShell
{
public:
    QList<TDmShellMount> mounts() override
    {
        return {{u"/"_qs, FileSystem, {}}, {stickPath() + u'/', Stick, {u"drive-removable-media"_qs}}};
    }
};

// A shown tree over WithStick, filled and waited for.
struct Rig
{
    TDmShellTree tree{nullptr, std::make_unique<WithStick>()};
    TDmShellModel *model = tree.ShellModel();

    Rig()
    {
        tree.resize(400, 600);
        tree.show();
        idle();
    }

    // Waits until no folder read is pending.
    void idle()
    {
        QTRY_VERIFY(!model->isEmpty() && !model->isReading());
    }

    // The node at the captions below the root, reading folders on the way.
    QModelIndex at(const QStringList &captions)
    {
        QModelIndex index = model->rootIndex();
        for (const QString &caption : captions) {
            open(index);
            const QModelIndexList found =
                model->match(model->index(0, 0, index), Qt::DisplayRole, caption, 1, Qt::MatchExactly);
            if (found.isEmpty())
                return {};
            index = found.first();
        }
        return index;
    }

    void open(const QModelIndex &index)
    {
        tree.expand(index);
        if (model->canFetchMore(index))
            model->fetchMore(index);
        idle();
    }

    // The captions of the children of the node at `path`, read first.
    QStringList children(const QStringList &path)
    {
        const QModelIndex index = at(path);
        open(index);
        return captions(index);
    }

    QStringList captions(const QModelIndex &parent)
    {
        QStringList out;
        for (int row = 0; row < model->rowCount(parent); ++row)
            out << model->index(row, 0, parent).data().toString();
        return out;
    }

    void select(const QStringList &captions)
    {
        const QModelIndex index = at(captions);
        QVERIFY2(index.isValid(), qPrintable(captions.join(u'/')));
        tree.setCurrentIndex(index);
    }

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&tree, Qt::Key(key), modifiers);
    }
};

enum Operation {
    opRename, opCutPaste, opCopyPaste, opTrash, opDeleteForGood, opPasteIntoItself,
    opPasteFileManagerCut, opDropMove
};

// Runs `op` on the desktop's folder "Фото": pasting into "Архив", renaming to `newName`.
void run(Rig &rig, Operation op, const QString &newName = u"Альбом"_qs)
{
    switch (op) {
    case opRename: {
        rig.select({u"Фото"_qs});
        rig.key(Qt::Key_F2);
        auto *editor = rig.tree.findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setText(newName);
        QTest::keyClick(editor, Qt::Key_Return);
        return;
    }
    case opCutPaste:
    case opCopyPaste:
    case opPasteIntoItself:
        rig.select({u"Фото"_qs});
        rig.key(op == opCutPaste ? Qt::Key_X : Qt::Key_C, Qt::ControlModifier);
        // What a file manager reads to tell a cut from a copy.
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(u"x-special/gnome-copied-files"_qs),
                 (op == opCutPaste ? "cut\n" : "copy\n") + QUrl::fromLocalFile(desktop(u"Фото"_qs)).toEncoded());
        rig.select({op == opPasteIntoItself ? u"Фото"_qs : u"Архив"_qs});
        rig.key(Qt::Key_V, Qt::ControlModifier);
        return;
    case opPasteFileManagerCut: {
        auto *data = new QMimeData;
        data->setData(u"x-special/gnome-copied-files"_qs,
                      "cut\n" + QUrl::fromLocalFile(desktop(u"Фото"_qs)).toEncoded() + '\n');
        QGuiApplication::clipboard()->setMimeData(data);
        rig.select({u"Архив"_qs});
        rig.key(Qt::Key_V, Qt::ControlModifier);
        return;
    }
    case opDropMove: {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(desktop(u"Фото"_qs))});
        QVERIFY(rig.model->dropMimeData(&data, Qt::MoveAction, -1, -1, rig.at({u"Архив"_qs})));
        return;
    }
    case opTrash:
        rig.select({u"Фото"_qs});
        rig.key(Qt::Key_Delete);
        return;
    case opDeleteForGood:
        rig.select({u"Фото"_qs});
        rig.key(Qt::Key_Delete, Qt::ShiftModifier);
        return;
    }
}

bool exists(const QString &relative)
{
    return QFileInfo::exists(homePath(relative));
}

// Files directly in folder; -1 when there is no such folder.
int fileCount(const QString &folder)
{
    return QFileInfo(folder).isDir() ? int(QDir(folder).entryList(QDir::Files | QDir::Hidden).size()) : -1;
}

// Mounts what (a folder to bind, or "tmpfs") at point; false when mounting is
// not allowed here (not root, or no mounting in this container).
bool mountAt(const QString &what, const QString &point)
{
    const QByteArray at = QFile::encodeName(point);
    return what == u"tmpfs"
        ? ::mount("tmpfs", at.constData(), "tmpfs", 0, "size=64m") == 0
        : ::mount(QFile::encodeName(what).constData(), at.constData(), nullptr, MS_BIND, nullptr) == 0;
}

// Takes away every mount below the test's home, wherever an operation may
// have carried it.
void unmountAll()
{
    for (int i = 0; i < 100; ++i) {
        const QString point = dm::mountPointWithin(homePath());
        if (point.isEmpty() || ::umount2(QFile::encodeName(point).constData(), MNT_DETACH) != 0)
            return;
    }
}

} // namespace

class TstDmShellTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QDir(homePath()).removeRecursively();
        makeFolders({u"Desktop/Проекты/2023"_qs, u"Desktop/Проекты/2024"_qs,
                     u"Desktop/Проекты/отчёт 10"_qs, u"Desktop/Проекты/отчёт 9"_qs,
                     u"Desktop/Архив"_qs, u"Desktop/Фото/лето"_qs, u"Desktop/.скрытая"_qs,
                     u"Desktop/b"_qs, u"Desktop/A"_qs, u"Desktop/a10"_qs, u"Desktop/a9"_qs,
                     u"Documents/Письма"_qs, u"Music"_qs, u"media/stick/backup"_qs, u".config"_qs});
        QFile dirs(homePath(u".config/user-dirs.dirs"_qs));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        // Music is set and exists; Pictures is set but missing; Videos is the home itself.
        dirs.write("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
                   "XDG_MUSIC_DIR=\"$HOME/Music\"\nXDG_PICTURES_DIR=\"$HOME/Pictures\"\n"
                   "XDG_VIDEOS_DIR=\"$HOME/\"\n");
        dirs.close();
        QFile file(desktop(u"заметки.txt"_qs));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(desktop(), desktop(u"петля"_qs)));
        QGuiApplication::clipboard()->clear();
    }

    void namespaceAsShown()
    {
        Rig rig;
        const QModelIndex root = rig.model->rootIndex();
        QCOMPARE(root.data().toString(), u"Рабочий стол"_qs);
        QVERIFY(rig.tree.isExpanded(root));
        // Fixed entries first, then the desktop's subfolders (no files) in
        // file-manager order: case ignored, numbers by value, hidden ones too.
        QCOMPARE(rig.captions(root),
                 (QStringList{Computer, u"Домашняя папка"_qs, u"Documents"_qs, u"Music"_qs,
                              u".скрытая"_qs, u"A"_qs, u"a9"_qs, u"a10"_qs, u"b"_qs, u"Архив"_qs,
                              u"петля"_qs, u"Проекты"_qs, u"Фото"_qs}));
        QCOMPARE(rig.children({Computer}), (QStringList{FileSystem, Stick}));
        QCOMPARE(rig.children({u"Проекты"_qs}),
                 (QStringList{u"2023"_qs, u"2024"_qs, u"отчёт 9"_qs, u"отчёт 10"_qs}));
        // Hidden folders are drawn dimmed, others in the tree's own colour.
        QVERIFY(rig.at({u".скрытая"_qs}).data(Qt::ForegroundRole).isValid());
        QVERIFY(!rig.at({u"A"_qs}).data(Qt::ForegroundRole).isValid());
        // A link back to the desktop expands like any folder, level by level.
        QCOMPARE(rig.at({u"петля"_qs, u"петля"_qs, u"петля"_qs, u"Фото"_qs, u"лето"_qs})
                     .data(TDmShellModel::PathRole).toString(),
                 desktop(u"петля/петля/петля/Фото/лето"_qs));
    }

    void selectedPathName_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("path");
        QTest::newRow("root: the desktop folder") << QStringList() << desktop();
        QTest::newRow("virtual node") << QStringList{Computer} << QString();
        QTest::newRow("file system root") << QStringList{Computer, FileSystem} << u"/"_qs;
        QTest::newRow("mount point") << QStringList{Computer, Stick} << stickPath();
        QTest::newRow("folder on a mount") << QStringList{Computer, Stick, u"backup"_qs}
                                           << stickPath() + u"/backup"_qs;
        QTest::newRow("home") << QStringList{u"Домашняя папка"_qs} << homePath();
        QTest::newRow("user folder") << QStringList{u"Documents"_qs, u"Письма"_qs}
                                     << homePath(u"Documents/Письма"_qs);
        QTest::newRow("desktop folder") << QStringList{u"Проекты"_qs, u"отчёт 9"_qs}
                                        << desktop(u"Проекты/отчёт 9"_qs);
    }

    void selectedPathName()
    {
        QFETCH(QStringList, captions);
        QFETCH(QString, path);
        Rig rig;
        // Right after start the root is selected.
        QCOMPARE(rig.tree.SelectedPathName(), desktop());
        rig.select(captions);
        QCOMPARE(rig.tree.SelectedPathName(), path);
        rig.tree.selectionModel()->clearSelection();
        QCOMPARE(rig.tree.SelectedPathName(), QString());
    }

    void rootIsHomeWithoutDesktop()
    {
        QVERIFY(QDir(desktop()).removeRecursively());
        Rig rig;
        QCOMPARE(rig.tree.SelectedPathName(), homePath());
        // The home folder is the root itself, and a user folder is shown once.
        const QStringList captions = rig.captions(rig.model->rootIndex());
        QVERIFY(!captions.contains(u"Домашняя папка"_qs));
        QCOMPARE(captions.count(u"Documents"_qs), 1);
    }

    void readsLazily()
    {
        Rig rig;
        const QModelIndex projects =
            rig.model->match(rig.model->index(0, 0, rig.model->rootIndex()), Qt::DisplayRole,
                             u"Проекты"_qs, 1, Qt::MatchExactly).value(0);
        QVERIFY(projects.isValid());
        QVERIFY(rig.model->hasChildren(projects));
        QCOMPARE(rig.model->rowCount(projects), 0);
        rig.open(projects);
        QCOMPARE(rig.model->rowCount(projects), 4);
        // An empty folder loses its expand button once read.
        const QModelIndex empty = rig.at({u"Архив"_qs});
        rig.open(empty);
        QVERIFY(!rig.model->hasChildren(empty));
    }

    void unreadableFolderStaysSilent()
    {
        if (geteuid() == 0) {
            // Root reads any folder whatever its mode: run the case as nobody,
            // from a copy of this program that nobody may run wherever the build is,
            // in a temporary folder nobody can reach (TMPDIR may be root's alone).
            const QString base = dm::test::tempBaseForNobody();
            if (base.isEmpty())
                QSKIP("no temporary folder the unprivileged user may enter");
            QTemporaryDir bin(base + u"/tst_dmshelltree-XXXXXX"_qs);
            const QString copy = bin.filePath(u"tst_dmshelltree"_qs);
            QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
            QVERIFY(QFile::setPermissions(bin.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                          | QFile::ReadOther | QFile::ExeOther));
            // The child's home is a temporary folder of its own: the system's
            // temporary folder need not be writable by others.
            const QString childTemp = bin.filePath(u"tmp"_qs);
            QVERIFY(QDir().mkdir(childTemp));
            QVERIFY(::chown(QFile::encodeName(childTemp).constData(), 65534, 65534) == 0);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"TMPDIR"_qs, childTemp);
            QProcess child;
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.setWorkingDirectory(bin.path());
            child.start(u"setpriv"_qs, {u"--reuid=65534"_qs, u"--regid=65534"_qs, u"--clear-groups"_qs,
                                        copy, u"unreadableFolderStaysSilent"_qs});
            QVERIFY(child.waitForFinished(120000));
            QVERIFY2(child.exitCode() == 0, child.readAll().constData());
            return;
        }
        makeFolders({u"Desktop/Закрытая/внутри"_qs});
        QVERIFY(QFile::setPermissions(desktop(u"Закрытая"_qs), {}));
        dm::test::RecordedBoxes boxes;
        Rig rig;
        const QModelIndex locked = rig.at({u"Закрытая"_qs});
        rig.open(locked);
        QCOMPARE(rig.model->rowCount(locked), 0);
        QVERIFY(rig.model->hasChildren(locked));
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(QFile::setPermissions(desktop(u"Закрытая"_qs), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void followsOtherPrograms()
    {
        Rig rig;
        rig.select({u"Проекты"_qs, u"2024"_qs});
        QVERIFY(QProcess::execute(u"mkdir"_qs, {desktop(u"Проекты/2025"_qs)}) == 0);
        QVERIFY(QProcess::execute(u"rmdir"_qs, {desktop(u"Проекты/2023"_qs)}) == 0);
        const QModelIndex projects = rig.at({u"Проекты"_qs});
        QTRY_COMPARE_WITH_TIMEOUT(rig.captions(projects),
                                  (QStringList{u"2024"_qs, u"2025"_qs, u"отчёт 9"_qs, u"отчёт 10"_qs}),
                                  10000);
        QCOMPARE(rig.tree.SelectedPathName(), desktop(u"Проекты/2024"_qs));
        // A selected folder removed elsewhere hands the selection to its parent.
        QVERIFY(QProcess::execute(u"rmdir"_qs, {desktop(u"Проекты/2024"_qs)}) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(rig.model->rowCount(projects), 3, 10000);
        QCOMPARE(rig.tree.SelectedPathName(), desktop(u"Проекты"_qs));
    }

    void operations_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("present");  // below home, afterwards
        QTest::addColumn<QStringList>("absent");
        QTest::addColumn<QStringList>("shown");    // desktop's subfolders in the tree
        QTest::addColumn<int>("boxes");

        const QStringList all{u"Архив"_qs, u"Фото"_qs};
        QTest::newRow("rename") << int(opRename) << QMessageBox::Ok
                                << QStringList{u"Desktop/Альбом/лето"_qs} << QStringList{u"Desktop/Фото"_qs}
                                << QStringList{u"Альбом"_qs, u"Архив"_qs} << 0;
        QTest::newRow("cut and paste")
            << int(opCutPaste) << QMessageBox::Ok << QStringList{u"Desktop/Архив/Фото/лето"_qs}
            << QStringList{u"Desktop/Фото"_qs} << QStringList{u"Архив"_qs} << 0;
        QTest::newRow("paste what a file manager cut")
            << int(opPasteFileManagerCut) << QMessageBox::Ok << QStringList{u"Desktop/Архив/Фото/лето"_qs}
            << QStringList{u"Desktop/Фото"_qs} << QStringList{u"Архив"_qs} << 0;
        QTest::newRow("dropped by another program, moved")
            << int(opDropMove) << QMessageBox::Ok << QStringList{u"Desktop/Архив/Фото/лето"_qs}
            << QStringList{u"Desktop/Фото"_qs} << QStringList{u"Архив"_qs} << 0;
        QTest::newRow("copy and paste")
            << int(opCopyPaste) << QMessageBox::Ok
            << QStringList{u"Desktop/Архив/Фото/лето"_qs, u"Desktop/Фото/лето"_qs} << QStringList()
            << all << 0;
        QTest::newRow("trash") << int(opTrash) << QMessageBox::Ok
                               << QStringList{u".local/share/Trash/files/Фото/лето"_qs}
                               << QStringList{u"Desktop/Фото"_qs} << QStringList{u"Архив"_qs} << 0;
        QTest::newRow("delete for good, confirmed")
            << int(opDeleteForGood) << QMessageBox::Yes << QStringList()
            << QStringList{u"Desktop/Фото"_qs, u".local/share/Trash/files/Фото"_qs}
            << QStringList{u"Архив"_qs} << 1;
        QTest::newRow("delete for good, declined")
            << int(opDeleteForGood) << QMessageBox::No << QStringList{u"Desktop/Фото/лето"_qs}
            << QStringList() << all << 1;
        QTest::newRow("paste into itself refused")
            << int(opPasteIntoItself) << QMessageBox::Ok << QStringList{u"Desktop/Фото/лето"_qs}
            << QStringList{u"Desktop/Фото/Фото"_qs} << all << 1;
    }

    void operations()
    {
        QFETCH(int, op);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        QFETCH(QStringList, shown);
        QFETCH(int, boxes);
        for (const QString &name : {u".скрытая"_qs, u"A"_qs, u"a10"_qs, u"a9"_qs, u"b"_qs, u"Проекты"_qs})
            QVERIFY(QDir(desktop(name)).removeRecursively());
        QVERIFY(QFile::remove(desktop(u"петля"_qs)));
        dm::test::RecordedBoxes recorded;
        recorded.answer = answer;
        Rig rig;
        run(rig, Operation(op));
        const QModelIndex root = rig.model->rootIndex();
        const int fixed = rig.captions(root).indexOf(u"Music"_qs) + 1;
        QTRY_COMPARE_WITH_TIMEOUT(rig.captions(root).mid(fixed), shown, 10000);
        for (const QString &path : present)
            QTRY_VERIFY2(exists(path), qPrintable(path));
        for (const QString &path : absent)
            QVERIFY2(!exists(path), qPrintable(path));
        QCOMPARE(recorded.shown.size(), boxes);
        if (op == opRename)  // the renamed folder stays selected
            QCOMPARE(rig.tree.SelectedPathName(), desktop(u"Альбом"_qs));
        if (op == opCutPaste || op == opPasteFileManagerCut) {  // what was cut is pasted once
            const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
            QVERIFY(!clip || !clip->hasUrls());
        }
    }

    void nameClash_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("present");
        QTest::newRow("copy, declined") << int(opCopyPaste) << QMessageBox::No << QStringList();
        QTest::newRow("move, declined") << int(opCutPaste) << QMessageBox::No << QStringList();
        QTest::newRow("copy under a new name")
            << int(opCopyPaste) << QMessageBox::Yes << QStringList{u"Desktop/Архив/Фото (копия)/лето"_qs};
        QTest::newRow("rename onto a sibling") << int(opRename) << QMessageBox::Ok << QStringList();
    }

    void nameClash()
    {
        QFETCH(int, op);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, present);
        // "Архив" holds a "Фото" of its own, which must never be merged or replaced.
        makeFolders({u"Desktop/Архив/Фото/зима"_qs});
        if (op == opRename)
            QVERIFY(QDir(desktop(u"Архив/Фото"_qs)).removeRecursively());
        dm::test::RecordedBoxes recorded;
        recorded.answer = answer;
        Rig rig;
        run(rig, Operation(op), u"Архив"_qs);
        QTRY_COMPARE(recorded.shown.size(), 1);
        for (const QString &path : present)
            QTRY_VERIFY2(exists(path), qPrintable(path));
        QVERIFY(exists(u"Desktop/Фото/лето"_qs));
        QCOMPARE(QDir(desktop(u"Архив"_qs)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
                 op == opRename ? 0 : 1 + present.size());
        if (op != opRename)
            QCOMPARE(QDir(desktop(u"Архив/Фото"_qs)).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                     QStringList{u"зима"_qs});
        else  // what failed and why, in Russian
            QCOMPARE(recorded.shown.first().text,
                     u"Папку «Фото» не удалось переименовать в «Архив»: файл или папка с таким "
                     u"именем уже есть."_qs);
    }

    // GIO's errors that the program words itself, and one it leaves to GIO.
    void gioReasons_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("error");
        QTest::newRow("exists") << int(G_IO_ERROR_EXISTS) << EEXIST;
        QTest::newRow("permission") << int(G_IO_ERROR_PERMISSION_DENIED) << EACCES;
        QTest::newRow("read-only") << int(G_IO_ERROR_READ_ONLY) << EROFS;
        QTest::newRow("busy") << int(G_IO_ERROR_BUSY) << EBUSY;
        QTest::newRow("not found") << int(G_IO_ERROR_NOT_FOUND) << ENOENT;
        QTest::newRow("no space") << int(G_IO_ERROR_NO_SPACE) << ENOSPC;
        QTest::newRow("name too long") << int(G_IO_ERROR_FILENAME_TOO_LONG) << ENAMETOOLONG;
        QTest::newRow("not a folder") << int(G_IO_ERROR_NOT_DIRECTORY) << ENOTDIR;
        QTest::newRow("a folder") << int(G_IO_ERROR_IS_DIRECTORY) << EISDIR;
        QTest::newRow("other") << int(G_IO_ERROR_NOT_SUPPORTED) << 0;
    }

    void gioReasons()
    {
        QFETCH(int, code);
        QFETCH(int, error);
        GError *gerror = g_error_new_literal(G_IO_ERROR, code, "GIO's own words");
        QCOMPARE(dm::gio::errnoOf(gerror), error);
        QCOMPARE(dm::gio::takeError(gerror),
                 error ? dm::systemErrorText(error) : u"GIO's own words"_qs);
    }

    void contextMenu_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("enabled");  // one letter an entry, '-' for disabled
        // Открыть, Вырезать, Копировать, Вставить, Переименовать, Удалить, Обновить
        QTest::newRow("root: no menu") << QStringList() << QString();
        QTest::newRow("computer") << QStringList{Computer} << u"------О"_qs;
        QTest::newRow("mount") << QStringList{Computer, Stick} << u"О--В--О"_qs;
        QTest::newRow("user folder") << QStringList{u"Documents"_qs} << u"О--В--О"_qs;
        QTest::newRow("folder") << QStringList{u"Архив"_qs} << u"ОВКВПУО"_qs;
    }

    void contextMenu()
    {
        QFETCH(QStringList, captions);
        QFETCH(QString, enabled);
        Rig rig;
        rig.select({u"Фото"_qs});
        rig.key(Qt::Key_C, Qt::ControlModifier);  // something to paste
        rig.select({u"Проекты"_qs});
        const QModelIndex index = rig.at(captions);
        rig.tree.scrollTo(index);
        QString seen;
        QStringList texts;
        QTimer::singleShot(0, &rig.tree, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *action : menu->actions())
                    if (!action->isSeparator()) {
                        texts << action->text();
                        seen += action->isEnabled() ? action->text().at(0) : u'-';
                    }
                menu->close();
            }
        });
        const QPoint at = rig.tree.visualRect(index).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, rig.tree.viewport()->mapToGlobal(at));
        QApplication::sendEvent(rig.tree.viewport(), &event);
        // Enabled entries by their first letters; the selection stays where it was.
        QCOMPARE(seen, enabled);
        if (!enabled.isEmpty())
            QCOMPARE(texts, (QStringList{u"Открыть"_qs, u"Вырезать"_qs, u"Копировать"_qs, u"Вставить"_qs,
                                         u"Переименовать"_qs, u"Удалить"_qs, u"Обновить"_qs}));
        QCOMPARE(rig.tree.SelectedPathName(), desktop(u"Проекты"_qs));
    }

    // A file system mounted below a folder (a bind mount of the test's own)
    // is never crossed: trash, deletion for good and a move are refused with
    // a message naming the mount, and the mounted files stay.
    void mountsAreNeverCrossed_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<bool>("itself");  // the folder itself is the mount point
        QTest::newRow("trash, mount below") << int(opTrash) << false;
        QTest::newRow("delete for good, mount below") << int(opDeleteForGood) << false;
        QTest::newRow("cut and paste, mount below") << int(opCutPaste) << false;
        QTest::newRow("delete for good, the folder is a mount point") << int(opDeleteForGood) << true;
        QTest::newRow("trash, the folder is a mount point") << int(opTrash) << true;
    }

    void mountsAreNeverCrossed()
    {
        QFETCH(int, op);
        QFETCH(bool, itself);
        makeFolders({u"outside"_qs});
        QFile kept(homePath(u"outside/keep.txt"_qs));
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.close();
        const QString point = desktop(itself ? u"Фото"_qs : u"Фото/лето"_qs);
        if (!mountAt(homePath(u"outside"_qs), point))
            QSKIP(qPrintable(u"bind mounts are not allowed here: "_qs + qt_error_string(errno)));
        const auto unmount = qScopeGuard(unmountAll);
        dm::test::RecordedBoxes recorded;
        recorded.answer = QMessageBox::Yes;
        Rig rig;
        run(rig, Operation(op));
        QTRY_COMPARE(recorded.shown.size(), 1);
        const QString text = recorded.shown.first().text;
        QVERIFY2(text.contains(u"Фото"_qs) && text.contains(u"подключена"_qs)
                     && (itself || text.contains(point)), qPrintable(text));
        QTest::qWait(200);  // nothing else follows
        QCOMPARE(recorded.shown.size(), 1);
        QVERIFY(exists(u"outside/keep.txt"_qs));
        QVERIFY(QFileInfo::exists(point + u"/keep.txt"_qs));
        QVERIFY(!exists(u".local/share/Trash/files/Фото"_qs));
        QVERIFY(!exists(u"Desktop/Архив/Фото"_qs));
    }

    // A move to another file system cancelled at any moment leaves either the
    // source whole and no copy, or the finished move: never a full copy beside
    // a half-deleted source.
    void cancelledMoveAcrossFileSystems_data()
    {
        QTest::addColumn<double>("copied");  // share of the files at the target when cancelled
        QTest::newRow("while copying") << 0.5;
        QTest::newRow("once copied") << 1.0;
    }

    void cancelledMoveAcrossFileSystems()
    {
        QFETCH(double, copied);
        const QString other = homePath(u"other"_qs);
        makeFolders({u"other"_qs});
        if (!mountAt(u"tmpfs"_qs, other))
            QSKIP(qPrintable(u"mounting a tmpfs is not allowed here: "_qs + qt_error_string(errno)));
        const auto unmount = qScopeGuard(unmountAll);
        constexpr int kFiles = 3000;
        const QString source = desktop(u"Фото/лето"_qs), target = other + u"/лето"_qs;
        for (int i = 0; i < kFiles; ++i) {
            QFile f(source + u"/f"_qs + QString::number(i));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(512, 'x')) == 512);
        }
        TDmGioShell shell;
        const std::unique_ptr<TDmShellJob> job = shell.transfer(stkMove, {source}, {target});
        QSignalSpy finished(job.get(), &TDmShellJob::finished);
        while (finished.isEmpty() && fileCount(target) < int(kFiles * copied))
            QTest::qWait(1);
        job->cancel();
        QVERIFY(!finished.isEmpty() || finished.wait(30000));
        const int inSource = fileCount(source), inTarget = fileCount(target);
        const bool sourceWhole = inSource == kFiles && inTarget == -1;
        const bool moved = inSource == -1 && inTarget == kFiles;
        QVERIFY2(sourceWhole || moved, qPrintable(u"source: %1 files, target: %2"_qs.arg(inSource).arg(inTarget)));
        // Cancelled is said only of what the cancel stopped.
        QCOMPARE(finished.first().at(1).toBool(), sourceWhole);
    }

    void selectionStays_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::newRow("click on the blank area") << u"blank"_qs;
        QTest::newRow("double click on the blank area") << u"blank double"_qs;
        QTest::newRow("Ctrl+click on the chosen folder") << u"ctrl click"_qs;
        QTest::newRow("Ctrl+Space") << u"ctrl space"_qs;
    }

    // One folder is always chosen, whatever the user clicks or types.
    void selectionStays()
    {
        QFETCH(QString, gesture);
        Rig rig;
        rig.select({u"Архив"_qs});
        const QModelIndex chosen = rig.tree.currentIndex();
        const QPoint blank(rig.tree.viewport()->width() / 2, rig.tree.viewport()->height() - 5);
        QVERIFY(!rig.tree.indexAt(blank).isValid());
        QWidget *viewport = rig.tree.viewport();
        if (gesture == u"blank") {
            QTest::mouseClick(viewport, Qt::LeftButton, {}, blank);
        } else if (gesture == u"blank double") {
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, blank);
        } else if (gesture == u"ctrl click") {
            QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier,
                              rig.tree.visualRect(chosen).center());
        } else {
            rig.tree.setFocus();
            rig.key(Qt::Key_Space, Qt::ControlModifier);
        }
        QCOMPARE(rig.tree.SelectedPathName(), desktop(u"Архив"_qs));
    }

    void accessible()
    {
        Rig rig;
        rig.tree.setFocus();
        QAccessibleInterface *tree = QAccessible::queryAccessibleInterface(&rig.tree);
        QVERIFY(tree);
        QAccessibleInterface *computer = nullptr;
        for (int i = 0; i < tree->childCount() && !computer; ++i)
            if (tree->child(i)->text(QAccessible::Name) == Computer)
                computer = tree->child(i);
        QVERIFY(computer);
        QVERIFY(computer->state().expandable);
        QVERIFY(!computer->state().expanded);
        // A screen reader chooses a folder with its node's action; the
        // action on the chosen one keeps it: a folder is always chosen.
        const QString toggle = QAccessibleActionInterface::toggleAction();
        QAccessibleInterface *root = tree->child(tree->indexOfChild(computer) - 1);
        for (QAccessibleInterface *node : {computer, root, root})
            node->actionInterface()->doAction(toggle);
        QCOMPARE(rig.tree.SelectedPathName(), desktop());
        rig.tree.setCurrentIndex(rig.model->rootIndex());
        // Keyboard alone: down to the computer, open it, down to "/".
        rig.key(Qt::Key_Down);
        rig.key(Qt::Key_Right);
        rig.key(Qt::Key_Down);
        QCOMPARE(rig.tree.SelectedPathName(), u"/"_qs);
    }
};

int main(int argc, char *argv[])
{
    // Before GLib or Qt look at the user's folders: a home of the test's own.
    QTemporaryDir dir;
    home = &dir;
    qputenv("HOME", dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (dir.path() + u"/.config"_qs).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir.path() + u"/.local/share"_qs).toLocal8Bit());
    QApplication app(argc, argv);
    TstDmShellTree test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dmshelltree.moc"
