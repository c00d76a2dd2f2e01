// Choosing a folder in the shell tree by its path (what `dustmote FOLDER`
// does): the node the walk ends on, where it starts, what it says when the
// path names no folder, and how it copes with readings that come late, never,
// or after the user or the tree moved on. The namespace is the test's own: it
// reads a temporary tree from disk, answers from the event loop or holds a
// folder's answer until the test lets it go, and has mounts of its own.

#include "DmShellTree.h"
#include "ShellPathWalk.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Computer = QStringLiteral("Компьютер");
const QString FileSystem = QStringLiteral("Файловая система");
const QString Home = QStringLiteral("Домашняя папка");

// The whole test's tree, by its real path (TMPDIR may lie behind a link);
// HOME is its "home".
QByteArray base;

QByteArray pathOf(const QByteArray &relative)
{
    return relative.startsWith('/') ? relative : base + '/' + relative;
}

QList<TDmShellItem> subfolders(const QByteArray &path, bool &ok)
{
    QList<TDmShellItem> out;
    DIR *dir = ::opendir(path.constData());
    ok = dir != nullptr;
    while (dirent *entry = dir ? ::readdir(dir) : nullptr) {
        const QByteArray name(entry->d_name);
        const QByteArray full = (path.endsWith('/') ? path : path + '/') + name;
        struct stat st, own;
        if (name == "." || name == ".." || ::stat(full.constData(), &st) != 0 || !S_ISDIR(st.st_mode)
            || ::lstat(full.constData(), &own) != 0)
            continue;
        TDmShellItem item;
        item.name = item.caption = QFile::decodeName(name);
        if (QFile::encodeName(item.name) != name)
            item.rawName = name;
        item.link = S_ISLNK(own.st_mode);
        item.hidden = name.startsWith('.');
        out << item;
    }
    if (dir)
        ::closedir(dir);
    return out;
}

// Reads folders from disk, answering from the event loop; a folder in `held`
// is answered only once released, one in `failing` is said to be unreadable.
class FakeShell : public TDmShellNamespace
{
public:
    QList<TDmShellMount> mountList;
    QSet<QByteArray> held, failing;
    QList<QByteArray> asked;

    QList<TDmShellMount> mounts() override { return mountList; }

    std::unique_ptr<TDmShellRequest> listFolders(const QByteArray &bytes, ListCallback done) override
    {
        asked << bytes;
        auto request = std::make_unique<Request>();
        request->done = std::make_shared<ListCallback>(std::move(done));
        if (held.contains(bytes))
            m_waiting.append({bytes, request->done});
        else
            answer(bytes, request->done);
        return request;
    }

    void release()
    {
        held.clear();
        for (const auto &[path, done] : std::exchange(m_waiting, {}))
            answer(path, done);
    }

    std::unique_ptr<TDmShellRequest> watchFolder(const QString &, NoticeCallback) override { return {}; }
    void rename(const QString &, const QString &, QObject *, DoneCallback) override {}
    void trash(const QString &, QObject *, DoneCallback) override {}
    std::unique_ptr<TDmShellJob> transfer(TDmShellTransferKind, const QStringList &,
                                          const QStringList &) override { return {}; }

private:
    struct Request : TDmShellRequest
    {
        std::shared_ptr<ListCallback> done;  // destroying the request cancels it
    };

    void answer(const QByteArray &path, std::weak_ptr<ListCallback> done)
    {
        QTimer::singleShot(0, this, [this, path, done] {
            const auto callback = done.lock();
            if (!callback)
                return;
            bool ok = !failing.contains(path);
            const QList<TDmShellItem> items = ok ? subfolders(path, ok) : QList<TDmShellItem>();
            (*callback)(ok, items);
        });
    }

    QList<std::pair<QByteArray, std::weak_ptr<ListCallback>>> m_waiting;
};

// A shown tree over FakeShell, with "/", a stick outside the home folder and
// a card mounted inside it; `held` folders wait for release().
struct Rig
{
    FakeShell *shell;
    TDmShellTree tree;
    QList<bool> told;  // what SelectPath's callbacks said, in order

    explicit Rig(const QList<QByteArray> &held = {}) : shell(new FakeShell), tree(nullptr, std::unique_ptr<FakeShell>(shell))
    {
        shell->mountList = {{u"/"_qs, FileSystem, {}},
                            {QFile::decodeName(pathOf("stick")), u"USB-ДИСК"_qs, {}},
                            {QFile::decodeName(pathOf("home/media/card")), u"Карта"_qs, {}}};
        shell->failing = {pathOf("home/closed")};
        for (const QByteArray &relative : held)
            shell->held << pathOf(relative);
        tree.resize(400, 300);
        tree.show();
    }

    void select(const QByteArray &path)
    {
        tree.SelectPath(path, [this](bool found) { told << found; });
    }

    // The captions from below the root down to the selected node.
    QStringList chain() const
    {
        QStringList out;
        for (QModelIndex i = tree.currentIndex(); i.isValid() && i.parent().isValid(); i = i.parent())
            out.prepend(i.data().toString());
        return out;
    }

    void waitAsked(const QByteArray &relative)
    {
        QTRY_VERIFY2(shell->asked.contains(pathOf(relative)), relative.constData());
    }
};

// By bytes throughout: some names are not UTF-8.
void makeFolders(const QList<QByteArray> &relative)
{
    for (const QByteArray &path : relative) {
        std::error_code error;
        std::filesystem::create_directories(pathOf(path).constData(), error);
        QVERIFY2(!error, path.constData());
    }
}

void removeAll(const QByteArray &relative)
{
    std::error_code error;
    std::filesystem::remove_all(pathOf(relative).constData(), error);
    QVERIFY2(!error, relative.constData());
}

void makeLink(const QByteArray &target, const QByteArray &at)
{
    QVERIFY2(::symlink(pathOf(target).constData(), pathOf(at).constData()) == 0, at.constData());
}

// What happens while a reading on the way is held back.
enum Meanwhile { mwNothing, mwAnotherPath, mwAnotherPathNeverReleased, mwUserClick, mwRefill, mwFolderGone };

} // namespace

class TstShellSelect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        removeAll("home");
        removeAll("outside");
        removeAll("stick");
        makeFolders({"home/Desktop/Проекты/2024", "home/Documents/Письма/архив", "home/.config",
                     "home/a/b/c/deep", "home/отчёт/x", "home/отчёт 2/x", "home/отчёты/x",
                     "home/media/card/backup", "home/media/card2/x", "home/closed/inside",
                     "outside/x/y", "stick/backup/2024"});
        // Two names that are not UTF-8 and read alike once decoded.
        makeFolders({"home/\xff\xfe", "home/\xfe\xff", "home/\xfe\xff/x"});
        QFile dirs(QFile::decodeName(pathOf("home/.config/user-dirs.dirs")));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
        dirs.close();
        QFile file(QFile::decodeName(pathOf("home/a/b/заметки.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        makeLink("home/Documents/Письма", "home/a/b/ссылка");
        makeLink("home/нет", "home/a/b/пустая ссылка");
        makeLink("home/a/b/заметки.txt", "home/a/b/ссылка на файл");
        makeLink("home/a", "home/через");
    }

    void cleanupTestCase()
    {
        // QTemporaryDir cannot remove names that are not UTF-8.
        removeAll("home");
    }

    void normalised_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("root") << QByteArray("/") << QByteArray("/");
        QTest::newRow("above the root") << QByteArray("/../..") << QByteArray("/");
        QTest::newRow("trailing and doubled slashes") << QByteArray("//usr//lib/") << QByteArray("/usr/lib");
        QTest::newRow("dots") << QByteArray("/usr/./lib/../share") << QByteArray("/usr/share");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }

    void normalised()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, expected);
        QCOMPARE(dm::normalisedFolderPath(path), expected);
    }

    // Paths are relative to the test's tree unless they begin with "/";
    // `chain` is how the selected node begins below the root.
    void selectsFolder_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("selected");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QStringList>("chain");
        auto row = [](const char *name, const QByteArray &path, const QByteArray &selected, bool found,
                      const QStringList &chain) { QTest::newRow(name) << path << selected << found << chain; };
        // Where the walk starts: the deepest top-level place holding the path.
        row("deep below home", "home/a/b/c/deep", "home/a/b/c/deep", true, {Home, u"a"_qs, u"b"_qs, u"c"_qs, u"deep"_qs});
        row("the home folder itself", "home", "home", true, {Home});
        row("user folder before home", "home/Documents/Письма/архив", "home/Documents/Письма/архив", true,
            {u"Documents"_qs, u"Письма"_qs, u"архив"_qs});
        row("below the desktop", "home/Desktop/Проекты/2024", "home/Desktop/Проекты/2024", true,
            {u"Проекты"_qs, u"2024"_qs});
        row("below /", "outside/x/y", "outside/x/y", true, {Computer, FileSystem});
        row("the root", "/", "/", true, {Computer, FileSystem});
        row("in a mounted volume", "stick/backup/2024", "stick/backup/2024", true,
            {Computer, u"USB-ДИСК"_qs, u"backup"_qs, u"2024"_qs});
        row("volume mounted inside home", "home/media/card/backup", "home/media/card/backup", true,
            {Computer, u"Карта"_qs, u"backup"_qs});
        row("beside a mount with the same prefix", "home/media/card2/x", "home/media/card2/x", true,
            {Home, u"media"_qs, u"card2"_qs, u"x"_qs});
        // One level: the exact name among names that share its beginning.
        row("names sharing a prefix", "home/отчёт/x", "home/отчёт/x", true, {Home, u"отчёт"_qs, u"x"_qs});
        row("names sharing a prefix, longer", "home/отчёт 2/x", "home/отчёт 2/x", true, {Home, u"отчёт 2"_qs, u"x"_qs});
        row("name not UTF-8", "home/\xff\xfe", "home/\xff\xfe", true, {Home});
        row("name not UTF-8 read alike", "home/\xfe\xff/x", "home/\xfe\xff/x", true, {Home});
        // What the path is normalised to is what the tree reports.
        row("dots, doubled and trailing slashes", "home//a/./b/c/../c/", "home/a/b/c", true, {Home});
        row("a link to a folder: where it points", "home/a/b/ссылка", "home/Documents/Письма", true,
            {u"Documents"_qs, u"Письма"_qs});
        row("a link on the way stays", "home/через/b/c", "home/через/b/c", true, {Home, u"через"_qs});
        // No such folder: the deepest node on the way, and said so.
        row("missing folder", "home/a/b/нет/глубже", "home/a/b", false, {Home, u"a"_qs, u"b"_qs});
        row("a file", "home/a/b/заметки.txt", "home/a/b", false, {Home, u"a"_qs, u"b"_qs});
        row("a link to nothing", "home/a/b/пустая ссылка", "home/a/b", false, {Home});
        row("a link to a file", "home/a/b/ссылка на файл", "home/a/b", false, {Home});
        row("below a folder that cannot be read", "home/closed/inside", "home/closed", false, {Home});
    }

    void selectsFolder()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, selected);
        QFETCH(bool, found);
        QFETCH(QStringList, chain);
        Rig rig;
        rig.select(pathOf(path));
        QCOMPARE(rig.told, QList<bool>());  // never before SelectPath returns
        QTRY_COMPARE(rig.told, QList<bool>{found});
        QCOMPARE(rig.tree.SelectedPathBytes(), pathOf(selected));
        QCOMPARE(rig.chain().mid(0, chain.size()), chain);
        // Visible: every node above is expanded and the node is in the viewport.
        for (QModelIndex up = rig.tree.currentIndex().parent(); up.isValid(); up = up.parent())
            QVERIFY(rig.tree.isExpanded(up));
        QVERIFY(rig.tree.viewport()->rect().intersects(rig.tree.visualRect(rig.tree.currentIndex())));
    }

    void relativeToCurrentFolder()
    {
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QFile::decodeName(pathOf("home/a"))));
        Rig rig;
        rig.select("b/../b/c");
        QVERIFY(QDir::setCurrent(before));
        QTRY_COMPARE(rig.told, QList<bool>{true});
        QCOMPARE(rig.tree.SelectedPathBytes(), pathOf("home/a/b/c"));
    }

    // Readings that come late, never, or after the user or the tree moved on.
    void whileWaiting_data()
    {
        QTest::addColumn<int>("meanwhile");
        QTest::addColumn<QByteArray>("selected");
        QTest::addColumn<QList<bool>>("told");
        QTest::newRow("a level arrives late") << int(mwNothing) << QByteArray("home/a/b/c/deep") << QList<bool>{true};
        QTest::newRow("another SelectPath, the level arrives after")
            << int(mwAnotherPath) << QByteArray("stick/backup") << QList<bool>{true};
        QTest::newRow("another SelectPath, the level never arrives")
            << int(mwAnotherPathNeverReleased) << QByteArray("stick/backup") << QList<bool>{true};
        QTest::newRow("the user picks another folder") << int(mwUserClick) << QByteArray("home/Documents")
                                                       << QList<bool>();
        QTest::newRow("the tree is rebuilt") << int(mwRefill) << QByteArray("home/a/b/c/deep") << QList<bool>{true};
        QTest::newRow("a folder on the way goes") << int(mwFolderGone) << QByteArray("home/a") << QList<bool>{false};
    }

    void whileWaiting()
    {
        QFETCH(int, meanwhile);
        QFETCH(QByteArray, selected);
        QFETCH(QList<bool>, told);
        Rig rig({"home/a/b"});
        rig.select(pathOf("home/a/b/c/deep"));
        rig.waitAsked("home/a/b");
        // The window goes on; what is reached so far is chosen.
        QTest::qWait(50);
        QCOMPARE(rig.tree.SelectedPathBytes(), pathOf("home/a/b"));
        QCOMPARE(rig.told, QList<bool>());
        switch (meanwhile) {
        case mwNothing:
            break;
        case mwAnotherPath:
        case mwAnotherPathNeverReleased:
            rig.select(pathOf("stick/backup"));
            QTRY_COMPARE(rig.told, QList<bool>{true});
            break;
        case mwUserClick: {
            const QModelIndex documents = rig.tree.ShellModel()->match(
                rig.tree.ShellModel()->index(0, 0, rig.tree.ShellModel()->rootIndex()), Qt::DisplayRole,
                u"Documents"_qs, 1, Qt::MatchExactly).value(0);
            QVERIFY(documents.isValid());
            rig.tree.scrollTo(documents);
            QTest::mouseClick(rig.tree.viewport(), Qt::LeftButton, {}, rig.tree.visualRect(documents).center());
            QCOMPARE(rig.tree.SelectedPathBytes(), pathOf("home/Documents"));
            break;
        }
        case mwRefill:  // walked again from the top, up to the same level
            rig.shell->asked.clear();
            rig.tree.FillTree();
            rig.waitAsked("home/a/b");
            break;
        case mwFolderGone:
            removeAll("home/a/b");
            rig.tree.RefreshTree();
            break;
        }
        if (meanwhile != mwAnotherPathNeverReleased) {
            rig.shell->release();
            QTRY_VERIFY(!rig.tree.ShellModel()->isReading());
        }
        QTest::qWait(50);  // anything still due arrives
        QTRY_COMPARE(rig.tree.SelectedPathBytes(), pathOf(selected));
        QCOMPARE(rig.told, told);
    }

    // Asked for before the tree filled itself: it fills and walks at once.
    void beforeTheTreeFills()
    {
        FakeShell *shell = new FakeShell;
        shell->mountList = {{u"/"_qs, FileSystem, {}}};
        TDmShellTree tree(nullptr, std::unique_ptr<FakeShell>(shell));
        bool found = false;
        tree.SelectPath(pathOf("home/a/b"), [&](bool f) { found = f; });
        QTRY_VERIFY(found);
        QCOMPARE(tree.SelectedPathBytes(), pathOf("home/a/b"));
    }
};

int main(int argc, char *argv[])
{
    // Before Qt looks at the user's folders: a home of the test's own, inside
    // the tree, with its settings folders.
    QTemporaryDir dir;
    base = QFile::encodeName(QDir(dir.path()).canonicalPath());
    const QByteArray home = base + "/home";
    QDir().mkpath(QFile::decodeName(home));
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    QApplication app(argc, argv);
    TstShellSelect test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shellselect.moc"
